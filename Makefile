# Two entry points: `make run` opens the dialog on the demo account set,
# `make test` builds and runs the whole test suite.
PACKAGES := cmake g++ make qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev fonts-wqy-zenhei qt6-translations-l10n
# The tests also run the dialog on a virtual X server and click it with real
# X input events, and check every source file's layout with clang-format.
TEST_PACKAGES := xvfb xdotool clang-format
PRESET ?= default
BUILD := build/$(PRESET)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test clean format mutants

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: PACKAGES += $(TEST_PACKAGES)

run: build
	$(BUILD)/app/systemsetting $(ARGS)

test: build
	ctest --preset $(PRESET)

# Plants each fault of tools/mutants.txt in turn and counts what the tests
# catch; slow, so not part of make test. Its own build tree: build/mutants.
mutants: PACKAGES += $(TEST_PACKAGES) python3 ninja-build
mutants: deps
	python3 tools/mutants.py $(ARGS)

format:
	find src refhost app tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
