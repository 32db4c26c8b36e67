# The two commands of the project: `make demo` and `make test`.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)
DEMO_TARGETS := mirel-host mirel mirel-calc
# cmake drives make underneath; its directory lines say nothing to a reader.
MAKEFLAGS += --no-print-directory

.PHONY: demo test build

# Builds only what the demo runs; the build's own output goes to a log, shown when it fails.
demo:
	@scripts/install-deps.sh demo
	@echo "mirel: building $(DEMO_TARGETS) in $(BUILD)/ (log: $(BUILD)/demo-build.log)"
	@mkdir -p $(BUILD)
	@{ cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREL_WERROR=ON && \
	   cmake --build $(BUILD) -j$(JOBS) --target $(DEMO_TARGETS); } >$(BUILD)/demo-build.log 2>&1 || \
	   { tail -n 30 $(BUILD)/demo-build.log; echo "mirel: the build failed (log: $(BUILD)/demo-build.log)"; exit 1; }
	$(BUILD)/bin/mirel-host info
	$(BUILD)/bin/mirel-host create --options examples/pll-27to100.json dir=$(BUILD)/demo
	$(BUILD)/bin/mirel-calc --clkin 27 --clkout 100 --tolerance 0.5 --clkoutd 25 --clkoutd-tolerance 2.0
	$(BUILD)/bin/mirel-host screenshot $(BUILD)/mirel-dialog.png

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

build:
	@scripts/install-deps.sh test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREL_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)
