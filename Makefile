# Entry points for a fresh machine: every target installs what it needs first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
PACKAGE_BUILD_DIR ?= build-package
# What building and checking the Debian package needs beyond the build.
PACKAGE_TOOLS := dpkg-dev file lintian desktop-file-utils man-db
# Debian's compiler and linker flags with every hardening feature, as lintian expects of a
# packaged program; read when the package is configured, after dpkg-dev is there. Their -O2
# stands: the Release type adds only -DNDEBUG.
DEB_FLAGS = $$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $(1))
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Any sanitizer report fails the run (exit 86, unlike every exit code of the program); only
# Qt's own leaks are suppressed.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:exitcode=86 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=86 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer-qt.supp:print_suppressions=0

.PHONY: deps build test demo bench clean test-sanitized fuzz screenshots run package package-check

deps:
	@bash scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitized

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitized: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" \
	  -DCMAKE_MODULE_LINKER_FLAGS="$(SANITIZE)" >/dev/null
	@$(SANITIZER_ENV) cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	@cd $(ASAN_BUILD_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@bash scripts/install-deps clang-14 libclang-rt-14-dev
	@JOBS=$(JOBS) bash fuzz/run $(FUZZ_SECONDS) $(FUZZ_BUILD_DIR)

demo: build
	@BUILD_DIR=$(BUILD_DIR) bash scripts/demo

bench: build
	@bash bench/install-peers
	@bash bench/run $(BUILD_DIR)

# The main window (filled with examples/sample.def), the address dialog and the About box as
# PNG files in $(BUILD_DIR)/screenshots, drawn off screen with the Japanese fonts.
screenshots: build
	@QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/tests/window_tests --screenshots $(BUILD_DIR)/screenshots

# Opens the window (needs a desktop session).
run: build
	@$(BUILD_DIR)/app/tarvelle

# The Debian package: the program, its desktop entry, icon and man page (packaging/). Its
# installation needs package_contents alone, not the tests and benchmarks of `all`.
package: deps
	@bash scripts/install-deps $(PACKAGE_TOOLS)
	@cmake -S . -B $(PACKAGE_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCMAKE_CXX_FLAGS="$(call DEB_FLAGS,CPPFLAGS) $(call DEB_FLAGS,CXXFLAGS)" \
	  -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
	  -DCMAKE_EXE_LINKER_FLAGS="$(call DEB_FLAGS,LDFLAGS)" \
	  -DCMAKE_MODULE_LINKER_FLAGS="$(call DEB_FLAGS,LDFLAGS)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$(call DEB_FLAGS,LDFLAGS)" \
	  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
	@cmake --build $(PACKAGE_BUILD_DIR) --target package_contents -j $(JOBS)
	@rm -f $(PACKAGE_BUILD_DIR)/tarvelle_*.deb
	@cd $(PACKAGE_BUILD_DIR) && cpack -G DEB >/dev/null
	@ls $(CURDIR)/$(PACKAGE_BUILD_DIR)/tarvelle_*.deb

# Builds the package, checks it with lintian, installs it, runs the installed program, removes it.
package-check:
	@PACKAGE_BUILD_DIR=$(PACKAGE_BUILD_DIR) bash scripts/package-check

clean:
	rm -rf $(BUILD_DIR)
