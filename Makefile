# The two commands of the README: `make run` and `make test`.
BUILD_DIR    := build
SANITIZE_DIR := build-sanitize
FUZZ_DIR     := build-fuzz
JOBS         ?= 2

.PHONY: run test deps build build-sanitize fuzz clean

run: build
	cd $(BUILD_DIR)/data && ../dorminax

test: build build-sanitize fuzz
	./scripts/run-tests $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)

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

# The loaders' fuzz targets, built with clang and libFuzzer, seeded from the data folder
# of the main build. Their tests run each for a short while.
fuzz: build
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
	  -DDORMINAX_FUZZ=ON -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
