# The two commands a person needs: `make run` and `make test`.
PACKAGES := cmake ninja-build g++ qt6-base-dev libgtest-dev fonts-liberation2 fonts-dejavu-core
BUILD    := build
JOBS     := $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test build configure deps bench clean

run: build
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

clean:
	rm -rf $(BUILD)
