# The two commands of the project: `make demo` and `make test`.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: demo test deps build

demo: build
	$(BUILD)/bin/mirel-host info
	$(BUILD)/bin/mirel-host create --options examples/pll-27to100.json dir=$(BUILD)/demo
	$(BUILD)/bin/mirel-calc --clkin 27 --clkout 100 --tolerance 0.5 --clkoutd 25 --clkoutd-tolerance 2.0
	$(BUILD)/bin/mirel-host screenshot $(BUILD)/mirel-dialog.png

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREL_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)

deps:
	@scripts/install-deps.sh
