# The two commands of the project: `make demo` and `make test`.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: demo test deps build

demo: build
	$(BUILD)/bin/mirel-host info
	$(BUILD)/bin/mirel-host devices
	$(BUILD)/bin/mirel-host screenshot $(BUILD)/mirel-dialog.png

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREL_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)

deps:
	@scripts/install-deps.sh
