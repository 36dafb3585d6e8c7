# Bonzelar: `make play` to play, `make check` to run every test headless.
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=
ifeq ($(SANITIZE),1)
  BUILD := build-asan
  CMAKE_FLAGS += -DBONZELAR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
endif
ifneq ($(CI),)
  CMAKE_FLAGS += -DBONZELAR_WERROR=ON
endif

PREFIX ?= /usr/local

.PHONY: play check deps build install resources portable-check format-check clean

play: build
	./$(BUILD)/bonzelar

# Tests run headless: SDL's offscreen video and dummy audio drivers, whatever the desktop has.
TEST_ENV = SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
ifeq ($(SANITIZE),1)
  TEST_ENV += LSAN_OPTIONS=suppressions=$(CURDIR)/Tools/sanitizer/lsan.supp:print_suppressions=0
  # Mesa unloads its software driver when a GL surface closes; kept loaded, the driver's own
  # allocations stay attributable to it and the suppressions above can name them.
  MESA_DRIVER := $(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so))
  ifneq ($(MESA_DRIVER),)
    TEST_ENV += LD_PRELOAD=$(MESA_DRIVER) ASAN_OPTIONS=verify_asan_link_order=0
  endif
endif

check: build
	cd $(BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS)

deps:
	@Tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# The program, its resources, desktop entry, icons and metainfo under $(PREFIX).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Regenerates every picture and sound in Resources/ from Resources/Source/.
resources:
	@Tools/install-deps.sh --resources
	Tools/make-resources.sh

# The engine and the game must also build with clang 14 and libc++ (the browser toolchain).
portable-check:
	@dpkg-query -W clang-14 libc++-14-dev libc++abi-14-dev >/dev/null 2>&1 || \
	  { sudo=""; [ "$$(id -u)" -eq 0 ] || sudo=sudo; $$sudo apt-get install -y -qq clang-14 libc++-14-dev libc++abi-14-dev; }
	cmake -S . -B build-portable -DBONZELAR_PORTABLE_ONLY=ON -DBONZELAR_WERROR=ON \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_FLAGS=-stdlib=libc++
	cmake --build build-portable -j $(JOBS)

# Every tracked C++ file as the project's .clang-format wants it; the tree is kept formatted.
format-check:
	@command -v clang-format >/dev/null || \
	  { sudo=""; [ "$$(id -u)" -eq 0 ] || sudo=sudo; $$sudo apt-get install -y -qq clang-format; }
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

clean:
	rm -rf build build-asan build-portable
