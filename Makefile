# make demo   install what is missing, build, write the sample clip and convert it
# make test   install what is missing, build, run every test
# make bench  build and run the benchmarks
# make asan   the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
# make fuzz   every fuzz target under libFuzzer (clang), FUZZ_SECONDS each
# make crash-safety  SIGKILL a DPX run at CRASH_KILLS random moments; every file left must be whole
# make install  raw2tvx and dpxinfo with their man pages and bash completion under PREFIX
#               (default /usr/local), staged under DESTDIR when it is set
# make deb      a Debian package of the same, installing under /usr, in PACKAGE_DIR
JOBS ?= $(shell nproc)
BUILD ?= build/release
ASAN_BUILD ?= build/asan
TSAN_BUILD ?= build/tsan
TSAN_TARGETS ?= imaging_tests platform_tests media_tests encode_tests components_tests app_tests
TSAN_TESTS ?= WorkerPool|BandSchedule|DemosaicShare|Event|MemAllocator|MediaSample|PinConnection|FilterGraph|ComponentRegistry|GenFilter|EncodeGraph|EncodingWorkers|EncoderFilter|MovieMuxFilter|MovieSinkInProcess|LosslessJpegThreads
DEMO_DIR ?= demo
FUZZ_BUILD ?= build/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= dpx_header_fuzz clip_reader_fuzz clip_trailer_fuzz unpack_fuzz output_pattern_fuzz \
                command_line_fuzz metadata_argument_fuzz metadata_records_fuzz video_info_fuzz \
                lossless_jpeg_roundtrip_fuzz lossless_jpeg_decoder_fuzz
CRASH_KILLS ?= 200
PREFIX ?= /usr/local
PACKAGE_DIR ?= build/package
INSTALL_TARGETS := raw2tvx dpxinfo man_pages
# Sanitizer builds at -O1 with line tables only: reports still name the file
# and line, and the build takes half the time of -O2 -g.
SANITIZER_LEVEL ?= -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
# ccache, where it is installed, makes rebuilds of unchanged files free.
CCACHE := $(shell command -v ccache 2>/dev/null)
LAUNCHER := $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

.PHONY: all deps build demo test bench asan tsan fuzz crash-safety install deb clean

all: build

deps:
	@bash scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@bash scripts/demo $(BUILD) $(DEMO_DIR)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@bash scripts/bench $(BUILD)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) $(SANITIZER_LEVEL) -DRAW2TVX_SANITIZE=ON -DRAW2TVX_BENCH=OFF >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) $(SANITIZER_LEVEL) -DRAW2TVX_TSAN=ON -DRAW2TVX_BENCH=OFF >/dev/null
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_BUILD) && ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

fuzz:
	@bash scripts/install-deps fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DRAW2TVX_FUZZ=ON -DRAW2TVX_BENCH=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@bash scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

crash-safety: build
	@bash tests/crash_safety.sh $(BUILD) $(CRASH_KILLS)

install: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target $(INSTALL_TARGETS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD)

deb: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target $(INSTALL_TARGETS)
	cd $(BUILD) && cpack -G DEB -B $(abspath $(PACKAGE_DIR))

clean:
	rm -rf build $(DEMO_DIR)
