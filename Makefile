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
# Playing and installing: an optimised build of the game alone, without tests or GoogleTest.
RELEASE_BUILD ?= build-release

.PHONY: play check deps build release install uninstall resources portable-check format-check web web-check web-serve fuzz soak robustness-ci clean

play: release
	./$(RELEASE_BUILD)/bonzelar

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

# The browser version is checked too, once (not again under the sanitizers); WEB_CHECK=0 skips it.
WEB_CHECK ?= 1
check: build
	cd $(BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS)
ifeq ($(WEB_CHECK)$(SANITIZE),1)
	$(MAKE) web-check
endif

deps:
	@Tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

release:
	@Tools/install-deps.sh --no-tests
	cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DBONZELAR_TESTS=OFF
	cmake --build $(RELEASE_BUILD) -j $(JOBS) --target bonzelar

# The program (stripped), its resources, desktop entry, icons, metainfo and licence under $(PREFIX).
install: release
	cmake --install $(RELEASE_BUILD) --prefix $(PREFIX) --strip

# Everything `make install` put under $(PREFIX), and the folders that leaves empty.
uninstall: release
	Tools/uninstall.sh $(RELEASE_BUILD) $(PREFIX)

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

# The browser version in build-web/: put the folder on any static HTTPS host.
# Debian's emscripten ships its libraries prebuilt; its optimiser needs Debian's acorn module,
# which a node from elsewhere does not look for.
WEB_ENV = NODE_PATH=/usr/share/nodejs
web:
	@Tools/install-deps.sh --web
	$(WEB_ENV) emcmake cmake -S . -B build-web-obj -DCMAKE_BUILD_TYPE=Release $(if $(CI),-DBONZELAR_WERROR=ON)
	$(WEB_ENV) cmake --build build-web-obj -j $(JOBS)
	python3 -W ignore::DeprecationWarning Tools/web-package.py build-web-obj build-web

# Plays build-web/ in headless chromium with touch emulation; screenshots in build-web-check/.
web-check: web
	cd Tools/web-check && { [ -d node_modules/puppeteer-core ] || npm ci --no-audit --no-fund; }
	node Tools/web-check/check.js build-web build-web-check

web-serve: web
	node Tools/web-check/serve.js build-web 8113

# libFuzzer targets (clang 14, ASan, UBSan), each run FUZZ_SECONDS from its committed seeds.
FUZZ_SECONDS ?= 300
FUZZERS = Script Image StoreValue SettingsGame
fuzz:
	@dpkg-query -W clang-14 libclang-rt-14-dev >/dev/null 2>&1 || \
	  { sudo=""; [ "$$(id -u)" -eq 0 ] || sudo=sudo; $$sudo apt-get install -y -qq clang-14 libclang-rt-14-dev; }
	cmake -S . -B build-fuzz -DBONZELAR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14
	cmake --build build-fuzz -j $(JOBS) --target $(addsuffix Fuzz,$(FUZZERS))
	Tools/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS) $(FUZZERS)

# Long runs under ASan and UBSan: a settings writer SIGKILLed SOAK_KILLS times, then
# SOAK_MINUTES of simulated play with a bound on memory growth.
SOAK_KILLS ?= 2000
SOAK_MINUTES ?= 30
ASAN_RUN_ENV = SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  LSAN_OPTIONS=suppressions=$(CURDIR)/Tools/sanitizer/lsan.supp:print_suppressions=0
ifneq ($(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so)),)
  ASAN_RUN_ENV += LD_PRELOAD=$(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so)) ASAN_OPTIONS=verify_asan_link_order=0
endif
soak: deps
	cmake -S . -B build-asan -DBONZELAR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(filter -DBONZELAR_WERROR=ON,$(CMAKE_FLAGS))
	cmake --build build-asan -j $(JOBS) --target bonzelar-headless CrashSafetyTest
	cd build-asan && $(ASAN_RUN_ENV) BONZELAR_KILLS=$(SOAK_KILLS) ./CrashSafetyTest
	$(ASAN_RUN_ENV) Tools/soak.py build-asan/bonzelar-headless --minutes $(SOAK_MINUTES)

# What CI runs of the above: each fuzzer for a minute, 200 kills, five simulated minutes.
robustness-ci:
	$(MAKE) fuzz FUZZ_SECONDS=60
	$(MAKE) soak SOAK_KILLS=200 SOAK_MINUTES=5

clean:
	rm -rf build build-asan build-portable build-release build-fuzz build-web build-web-obj build-web-check
