# The two commands of the README: `make run` and `make test`.
BUILD_DIR    := build
SANITIZE_DIR := build-sanitize
JOBS         ?= 2

.PHONY: run test bench deps build build-sanitize clean

run: build
	cd $(BUILD_DIR)/data && ../dorminax

test: build build-sanitize
	./scripts/run-tests $(BUILD_DIR) $(SANITIZE_DIR)

# The Release build, then the frame tool's timings of every scene and of the start-up
# (never part of test: timings vary with the machine's load). BENCH_JSON=FILE also
# writes the figures there as JSON.
bench: build
	cd $(BUILD_DIR)/data && ../dorminax-frame --bench \
	  $(if $(BENCH_JSON),--bench-json $(abspath $(BENCH_JSON)))

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The library and its tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# reading the data folder of the main build.
build-sanitize: build
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Release -DDORMINAX_SANITIZE=ON \
	  -DDORMINAX_GENERATE_DATA=OFF -DDORMINAX_END_TO_END=OFF \
	  -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
