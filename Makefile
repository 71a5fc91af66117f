# The two commands a person needs: `make run` and `make test`.
# desktop-file-utils, appstream and dpkg-dev check the installed files and build the package,
# xdg-utils that the menu entry does not take over the opening of folders;
# qt6-base-private-dev lets a test switch on Qt's accessibility events without a screen reader.
# fuse3 and libfuse3-dev serve the tests' own shares (one that never answers, one whose
# folders all say the same inode number); fusefat and dosfstools a FAT stick for the list file's.
PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-svg-dev libgtest-dev fonts-liberation2 fonts-dejavu-core \
            desktop-file-utils appstream dpkg-dev qt6-base-private-dev fuse3 libfuse3-dev pkg-config \
            fusefat dosfstools xdg-utils
BUILD    := build
JOBS     := $(shell nproc 2>/dev/null || echo 2)
,        := ,
# Where `make install` puts Korvale: from the make line or the environment
# (PREFIX=~/.local make install), /usr/local otherwise.
PREFIX   ?= /usr/local
# The program alone, for install and package: a build folder of its own, without the tests
# and with Debian's hardening flags (bind now, fortified functions) where dpkg-dev is there.
DIST     := $(BUILD)-dist
BUILDFLAGS = $(shell DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $(1) 2>/dev/null)
DEB      := korvale_$(shell sed -n 's/^project.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-1_$(shell dpkg --print-architecture 2>/dev/null || echo amd64).deb

# Extra CMake settings for the configure step, e.g. CMAKE_ARGS=-DKORVALE_WARNINGS_AS_ERRORS=ON.
CMAKE_ARGS :=

.PHONY: run test build configure dist deps bench bench-window bench-cold bench-share bench-huge asan tsan ci clean install uninstall package screenshot

# Only the program: the tests and the benchmark are for `make test` and `make bench`.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target korvale
	./$(BUILD)/korvale

# A display to lose: the window saves the options when its display connection breaks.
test asan: EXTRA_PACKAGES += xvfb xdotool
test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The tests stay on in $(BUILD), whatever it was configured with before.
configure: deps
	@if [ ! -f $(BUILD)/build.ninja ] || [ -n "$(CMAKE_ARGS)" ] \
	    || grep -q '^BUILD_TESTING:BOOL=OFF' $(BUILD)/CMakeCache.txt; then \
	  cmake -S . -B $(BUILD) -G Ninja -DBUILD_TESTING=ON $(CMAKE_ARGS); \
	fi

dist: deps
	@if [ ! -f $(DIST)/build.ninja ]; then \
	  cmake -S . -B $(DIST) -G Ninja -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_FLAGS="$(call BUILDFLAGS,CPPFLAGS) $(call BUILDFLAGS,CXXFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(call BUILDFLAGS,LDFLAGS)" $(CMAKE_ARGS); \
	fi
	cmake --build $(DIST) -j $(JOBS)

# Installs what is missing when run as root; otherwise says the one line to run. Where
# there is no dpkg-query (not Debian), it says what the build needs and goes on.
deps:
	@if ! command -v dpkg-query >/dev/null 2>&1; then \
	  echo "No dpkg-query here, so installed packages cannot be checked. Korvale needs (Debian names):"; \
	  echo " $(PACKAGES) $(EXTRA_PACKAGES)"; \
	  exit 0; \
	fi; \
	missing=""; \
	for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "Missing packages. Please run:"; \
	    echo "  sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

# The end-to-end benchmark on a large tree made once under /var/tmp; bfs is its yardstick.
bench: EXTRA_PACKAGES += bfs fd-find python3
bench: build
	python3 bench/run-bench --program $(BUILD)/bench/korvale_bench

# The real main window on a virtual display, timed from the click, taking turns with the bench program.
bench-window: EXTRA_PACKAGES += bfs python3 xvfb xauth
bench-window: build
	xvfb-run -a -s '-screen 0 1280x1024x24' python3 bench/run-window --window $(BUILD)/bench/korvale_window_bench \
	  --program $(BUILD)/bench/korvale_bench

# The large tree with the page cache dropped before every timed run of every side (root only).
bench-cold: EXTRA_PACKAGES += bfs fd-find python3
bench-cold: build
	python3 bench/run-cold --program $(BUILD)/bench/korvale_bench

# A tree seen through our own FUSE server that answers every request 2 ms late.
bench-share: EXTRA_PACKAGES += bfs fd-find python3 fuse3 libfuse3-dev pkg-config
bench-share: configure
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target korvale_bench slowshare
	python3 bench/run-share --program $(BUILD)/bench/korvale_bench --server $(BUILD)/bench/slowshare

# Four million files in 200,000 folders, made once where the disk has the inodes.
bench-huge: EXTRA_PACKAGES += bfs fd-find python3
bench-huge: build
	python3 bench/run-huge --program $(BUILD)/bench/korvale_bench

# Every test built with a sanitizer in a build folder of its own. Qt itself is not built
# for them, so what Qt does inside its own libraries is left out of the checks.
ALL_TESTS := $(sort $(notdir $(basename $(wildcard tests/*/test_*.cpp))))
# The tests that start threads: every walk reads ahead on threads of its own and watches the
# mounts on one, and the window runs on a worker thread.
TSAN_TESTS := test_folderwalk test_readahead test_listcomparison test_listbox test_neverwalkedmounts test_listfilewriter test_generate test_commandline test_optionstore test_pickers \
              test_startup test_form2 test_mainlayout test_interrupt test_sessionend test_hostdrives test_driveletters \
              test_stallablecall test_filereplacement test_folderlooks test_runmenu test_handins test_tablerun
SANITIZED_BUILD = test -f $(BUILD)-$(1)/build.ninja || cmake -S . -B $(BUILD)-$(1) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
	  -DCMAKE_CXX_FLAGS="$(2) -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS="$(2)" $(CMAKE_ARGS)
SANITIZED_TESTS = cd $(BUILD)-$(1) && $(3) ctest --output-on-failure -j $(JOBS) -R "^($(shell echo $(2) | tr ' ' '|'))$$"

# AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer over the whole suite;
# any finding fails its test.
asan: deps
	@$(call SANITIZED_BUILD,asan,-fsanitize=address$(,)undefined -fno-sanitize-recover=all)
	cmake --build $(BUILD)-asan -j $(JOBS) --target $(ALL_TESTS)
	$(call SANITIZED_TESTS,asan,$(ALL_TESTS),ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)

# ThreadSanitizer over the tests that start threads.
tsan: deps
	@$(call SANITIZED_BUILD,tsan,-fsanitize=thread)
	cmake --build $(BUILD)-tsan -j $(JOBS) --target $(TSAN_TESTS)
	$(call SANITIZED_TESTS,tsan,$(TSAN_TESTS),TSAN_OPTIONS="ignore_noninstrumented_modules=1 halt_on_error=1")

# What CI runs: the whole suite with warnings as errors, then the sanitizer runs.
ci:
	$(MAKE) test CMAKE_ARGS=-DKORVALE_WARNINGS_AS_ERRORS=ON
	$(MAKE) asan tsan CMAKE_ARGS=-DKORVALE_WARNINGS_AS_ERRORS=ON

# Installs under $(DESTDIR)$(PREFIX) (sudo make install, or PREFIX=~/.local without sudo);
# `make uninstall` removes the files it wrote and the folders it made, once they are empty.
install: dist
	DESTDIR="$(DESTDIR)" sh desktop/installtree.sh install $(DIST) "$(PREFIX)" $(DIST)/installed

uninstall:
	sh desktop/installtree.sh uninstall $(DIST)/installed

# The Debian package, here: sudo apt-get install ./$(DEB)
package: dist
	cd $(DIST) && cpack
	cp $(DIST)/$(DEB) .

# The README's picture of the window after a run, made anew from the real window.
screenshot: EXTRA_PACKAGES += xvfb xauth xdotool imagemagick openbox
screenshot: configure
	cmake --build $(BUILD) -j $(JOBS) --target korvale
	sh desktop/screenshot.sh $(BUILD)/korvale desktop/screenshot.png

clean:
	rm -rf $(BUILD) $(DIST)
