# The two commands a person needs: `make run` and `make test`.
# desktop-file-utils, appstream and dpkg-dev check the installed files and build the package.
PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-svg-dev libgtest-dev fonts-liberation2 fonts-dejavu-core \
            desktop-file-utils appstream dpkg-dev
BUILD    := build
JOBS     := $(shell nproc 2>/dev/null || echo 2)
PREFIX   := /usr/local
DEB      := korvale_$(shell sed -n 's/^project.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-1_$(shell dpkg --print-architecture 2>/dev/null || echo amd64).deb

.PHONY: run test build configure deps bench bench-window tsan clean install uninstall package screenshot

# Only the program: the tests and the benchmark are for `make test` and `make bench`.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target korvale
	./$(BUILD)/korvale

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja

# Installs what is missing when run as root; otherwise says the one line to run.
deps:
	@missing=""; \
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
bench: EXTRA_PACKAGES += bfs python3
bench: build
	python3 bench/run-bench --program $(BUILD)/bench/korvale_bench

# The same measure through the real main window on a virtual display, timed from the click.
bench-window: EXTRA_PACKAGES += bfs python3 xvfb xauth
bench-window: build
	xvfb-run -a -s '-screen 0 1280x1024x24' python3 bench/run-bench --program $(BUILD)/bench/korvale_window_bench

# The tests of the window's run on its worker thread, built with ThreadSanitizer. Qt itself
# is not built for it, so what Qt does inside its own libraries is left out of the check.
TSAN_TESTS := test_generate test_folderwalk test_listfilewriter test_form2 test_commandline test_optionstore test_pickers test_startup
tsan: deps
	@test -f $(BUILD)-tsan/build.ninja || cmake -S . -B $(BUILD)-tsan -G Ninja \
	  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(BUILD)-tsan -j $(JOBS) --target $(TSAN_TESTS)
	cd $(BUILD)-tsan && TSAN_OPTIONS="ignore_noninstrumented_modules=1 halt_on_error=1" \
	  ctest --output-on-failure -R "^($(shell echo $(TSAN_TESTS) | tr ' ' '|'))$$"

# Installs under $(PREFIX) (sudo make install, or PREFIX=~/.local without sudo);
# `make uninstall` removes exactly what it installed.
# The tests install into temporary folders too, so the list of what this install wrote is
# kept apart from CMake's own manifest.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
	cp $(BUILD)/install_manifest.txt $(BUILD)/installed-files.txt

uninstall:
	@test -f $(BUILD)/installed-files.txt || { echo "Nothing installed from $(BUILD)."; exit 1; }
	xargs -d '\n' rm -fv < $(BUILD)/installed-files.txt
	rm $(BUILD)/installed-files.txt

# The Debian package, here: sudo apt-get install ./$(DEB)
package: build
	cd $(BUILD) && cpack
	cp $(BUILD)/$(DEB) .

# The README's picture of the window after a run, made anew from the real window.
screenshot: EXTRA_PACKAGES += xvfb xauth xdotool imagemagick openbox
screenshot: configure
	cmake --build $(BUILD) -j $(JOBS) --target korvale
	sh desktop/screenshot.sh $(BUILD)/korvale desktop/screenshot.png

clean:
	rm -rf $(BUILD)
