# The two commands of the README: `make run` and `make test`.
BUILD_DIR    := build
SANITIZE_DIR := build-sanitize
WINDOWS_DIR  := build-windows
JOBS         ?= 2
PREFIX       ?= /usr/local

.PHONY: run test deps build build-sanitize windows clean install uninstall

run: build
	cd $(BUILD_DIR)/data && ../dorminax

test: build build-sanitize windows
	./scripts/run-tests $(BUILD_DIR) $(SANITIZE_DIR) $(WINDOWS_DIR)

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

# The demo, its data set, desktop entry, icons and manual page under PREFIX.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Removes exactly what the last install listed in its manifest, then the folders it made.
uninstall:
	cmake -DMANIFEST=$(CURDIR)/$(BUILD_DIR)/install_manifest.txt -P packaging/uninstall.cmake

# dorminax.exe, the frame tool and dorminax-windows.zip, cross-built with MinGW-w64. The zip
# holds the data set of the main build; the tests under Wine compare with its frame tool.
windows: build
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data \
	  -DDORMINAX_NATIVE_BUILD=$(CURDIR)/$(BUILD_DIR)
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(WINDOWS_DIR)
