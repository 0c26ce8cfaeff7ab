# The two commands of the README: `make run` and `make test`. Each target installs the
# packages it needs through scripts/install-deps, and no more.
BUILD_DIR    := build
SANITIZE_DIR := build-sanitize
WINDOWS_DIR  := build-windows
WEB_DIR      := build-web
WEB_PORT     ?= 8000
FUZZ_DIR     := build-fuzz
PLAIN_DIR    := build-plain
DIST_DIR     := dist
JOBS         ?= 2
PREFIX       ?= /usr/local
# What watching the demo needs built; the one list to grow when the demo's build needs more.
WATCH_TARGETS := dorminax data

# Nested makes (CMake's) print no "Entering directory" lines.
MAKEFLAGS += --no-print-directory

.PHONY: run watch tools test bench deps build build-sanitize fuzz windows web web-serve clean \
        install uninstall package dist flash-report

# The demo, from a folder of its own where its screenshots go; ARGS="--window --scene 6"
# passes options.
run: watch
	@mkdir -p $(BUILD_DIR)/screenshots
	@cd $(BUILD_DIR)/screenshots && ../dorminax --data ../data $(ARGS)

# The Release build configured quietly: CMake's own report goes to a log, shown when
# configuring fails.
CONFIGURE_QUIETLY = mkdir -p $(BUILD_DIR) && \
  { cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >$(BUILD_DIR)/configure.log 2>&1 || \
    { cat $(BUILD_DIR)/configure.log; exit 1; }; }

# Only the packages and targets that watching needs.
watch:
	@./scripts/install-deps run
	@$(CONFIGURE_QUIETLY)
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target $(WATCH_TARGETS)

# The frame tool and the video capture, with the data set they read, into $(BUILD_DIR)/.
# The capture needs FFmpeg's libraries, which watching does not.
tools:
	@./scripts/install-deps tools
	@$(CONFIGURE_QUIETLY)
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target data dorminax-frame dorminax-capture

test: deps build build-sanitize plain fuzz windows web dist
	./scripts/run-tests $(BUILD_DIR) $(SANITIZE_DIR) $(PLAIN_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)

# The Release build, then the frame tool's timings of every scene and of the start-up
# (never part of test: timings vary with the machine's load). BENCH_JSON=FILE also
# writes the figures there as JSON.
bench: build
	cd $(BUILD_DIR)/data && ../dorminax-frame --bench \
	  $(if $(BENCH_JSON),--bench-json $(abspath $(BENCH_JSON)))

# Where the default show flashes, measured again into docs/flash-report.json (which --help,
# the manual page and the web page are made from): when the flash_check test finds it
# stale, after a change to the show's frames. Commit the file with the change.
flash-report:
	@./scripts/install-deps build
	@$(CONFIGURE_QUIETLY)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target flash_report

# Everything make test uses.
deps:
	./scripts/install-deps test

# The demo, the tools and the tests.
build:
	./scripts/install-deps build
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The library and its tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# reading the data folder of the main build.
build-sanitize: build
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Release -DDORMINAX_SANITIZE=ON \
	  -DDORMINAX_GENERATE_DATA=OFF -DDORMINAX_END_TO_END=OFF \
	  -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

# The show drawn by the plain version of every optimised routine, into $(PLAIN_DIR)/:
# the demo, the frame tool and the golden-frames test, which `make test` runs there
# too. It reads the data folder of the main build.
.PHONY: plain
plain: build
	cmake -S . -B $(PLAIN_DIR) -DCMAKE_BUILD_TYPE=Release -DDORMINAX_PLAIN=ON \
	  -DDORMINAX_GENERATE_DATA=OFF -DDORMINAX_END_TO_END=OFF \
	  -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data
	cmake --build $(PLAIN_DIR) -j $(JOBS) --target dorminax dorminax-frame golden_frames_test

# The demo, its data set, desktop entry, icons and manual page under PREFIX.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Removes exactly what the last install listed in its manifest, then the folders it made.
uninstall:
	cmake -DMANIFEST=$(CURDIR)/$(BUILD_DIR)/install_manifest.txt -P packaging/uninstall.cmake

# dorminax.exe, the frame tool and dorminax-VERSION-windows-x64.zip, cross-built with
# MinGW-w64. The zip holds the data set of the main build; the tests under Wine compare with
# its frame tool.
windows: build
	./scripts/install-deps windows
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data \
	  -DDORMINAX_NATIVE_BUILD=$(CURDIR)/$(BUILD_DIR)
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

# The demo in a web browser, with Debian's Emscripten, into $(WEB_DIR)/: index.html,
# dorminax.js, dorminax.wasm, and the data set of the main build packed as dorminax.data;
# the manifest, the main build's icons and the service worker that keeps them offline;
# and dorminax-VERSION-web.zip of them.
# Emscripten's tools find their Node.js modules through NODE_PATH; its cache of prebuilt
# libraries is reached through a folder of our own, which it may write.
EMSCRIPTEN_CACHE := $(CURDIR)/$(WEB_DIR)/emscripten-cache
EMSCRIPTEN_ENV   := NODE_PATH=/usr/share/nodejs EM_CACHE=$(EMSCRIPTEN_CACHE)

web: watch
	./scripts/install-deps web
	cmake --build $(BUILD_DIR) -j $(JOBS) --target web_icons
	mkdir -p $(EMSCRIPTEN_CACHE)
	ln -sfn /usr/share/emscripten/cache/sysroot $(EMSCRIPTEN_CACHE)/sysroot
	cp /usr/share/emscripten/cache/sysroot_install.stamp $(EMSCRIPTEN_CACHE)/
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WEB_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data \
	  -DDORMINAX_ICON_DIR=$(CURDIR)/$(BUILD_DIR)/packaging
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_DIR) -j $(JOBS)

# Any static web server will do; browsers do not load the data from file:// addresses.
web-serve: web
	@echo "Dorminax: http://127.0.0.1:$(WEB_PORT)/ (Ctrl-C stops the server)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB_DIR)

# The loaders' fuzz targets, built with clang and libFuzzer, seeded from the data folder
# of the main build. Their tests run each for a short while.
fuzz: build
	./scripts/install-deps fuzz
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
	  -DDORMINAX_FUZZ=ON -DDORMINAX_DATA_DIR=$(CURDIR)/$(BUILD_DIR)/data
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets

# The Debian packages dorminax and dorminax-tools, made from the Release build by CPack
# into $(BUILD_DIR)/packages/ (packaging/debian_package.cmake).
package: build
	./packaging/debian_packages.sh $(CURDIR)/$(BUILD_DIR) $(CURDIR)/$(BUILD_DIR)/packages

# Everything a release publishes, into $(DIST_DIR)/: the two Debian packages, the Windows
# and web zips, the source (git archive of HEAD) and SHA256SUMS.
dist: package windows web
	cmake -DBUILD=$(CURDIR)/$(BUILD_DIR) -DWINDOWS=$(CURDIR)/$(WINDOWS_DIR) \
	  -DWEB=$(CURDIR)/$(WEB_DIR) -DSOURCE=$(CURDIR) -DOUT=$(CURDIR)/$(DIST_DIR) \
	  -P packaging/dist.cmake

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) $(WINDOWS_DIR) $(WEB_DIR) $(PLAIN_DIR) \
	  $(DIST_DIR)
