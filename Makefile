# Convenience targets; the build itself is CMake.
BUILD ?= build
JOBS ?= $(shell nproc)
XVFB = xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: deps build run test bench screenshot clean

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "plotsnap is a desktop program and needs a graphical display, but none is set (DISPLAY is empty)."; \
	  echo "Run it from a desktop session, or try the headless tool: $(BUILD)/plotsnap-cli"; exit 1; fi
	./$(BUILD)/plotsnap

test: build
	cd $(BUILD) && OMP_THREAD_LIMIT=1 $(XVFB) ctest --output-on-failure -j 2

bench: build
	./$(BUILD)/bench/bench_process
	./$(BUILD)/bench/bench_export

.PHONY: accuracy
accuracy: build
	@bash tools/accuracy/run.sh $(BUILD)

.PHONY: tick-accuracy
tick-accuracy: build
	@bash tools/accuracy/tick_run.sh $(BUILD)

.PHONY: accuracy-published
accuracy-published: build
	@bash tools/accuracy/run.sh $(BUILD) --published

screenshot: build
	bash tools/screenshot.sh $(BUILD)

clean:
	rm -rf $(BUILD)
