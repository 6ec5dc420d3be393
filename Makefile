# The README's commands. Every target installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps test-deps bench-deps build test run stop status bench chaos tsan asan package clean

deps:
	@bash scripts/install-deps.sh

# What only the tests need besides (the browser of the console's test).
test-deps:
	@bash scripts/install-deps.sh test

# What only the bench needs besides (the peer of its "Peer" section).
bench-deps:
	@bash scripts/install-deps.sh bench

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: test-deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	@BUILD=$(BUILD) bash scripts/run.sh

stop:
	@bash scripts/stop.sh

# The chaos run (tools/chaos/chaos.sh): random writes from CHAOS_CLIENTS processes while
# channel engines are killed, stopped and restarted, for CHAOS_SECONDS (default 120); then the
# truth of what the master control shows is checked. Its own port and folder (build/chaos).
CHAOS_SECONDS ?= 120
chaos: build
	CHAOS_SECONDS=$(CHAOS_SECONDS) RADALT_DDS_DOMAIN=$${RADALT_DDS_DOMAIN:-66} \
	  bash tools/chaos/chaos.sh $(CURDIR)/$(BUILD) $${RADALT_CHAOS_PORT:-28097} $(CURDIR)/$(BUILD)/chaos

status:
	@bash scripts/status.sh

# Every test that starts threads (ORB, DDS or its own) under ThreadSanitizer (the
# middleware's own locking is suppressed, see scripts/tsan.supp); the whole suite under
# AddressSanitizer (Fast DDS 2.9 deletes its readers with a mismatched size, which the option
# below leaves to it), then the threaded tests once more with the leak check.
TSAN_TESTS = lock_test follow_ups_test channel_writes_test engine_rejoin_test attribute_test dds_adapter_test \
  engine_test locks_test channels_test \
  ramp_settings_test simulation_interlock_test profile_legs_test ramp_rule_test flight_test \
  store_recall_test catalogue_model_test catalogue_test \
  readings_follow_test channel_roles_test journal_store_test
empty :=
space := $(empty) $(empty)
TSAN_REGEX = ^(naming_service_start|naming_service_stop|$(subst $(space),|,$(strip $(TSAN_TESTS))))$$
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRADALT_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	cd build-tsan && TSAN_OPTIONS="suppressions=$(CURDIR)/scripts/tsan.supp halt_on_error=1 exitcode=66" \
	  ctest --output-on-failure --timeout 600 -R '$(TSAN_REGEX)'

asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRADALT_SANITIZE=address
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 ctest --output-on-failure -j $(JOBS) --timeout 600
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:new_delete_type_mismatch=0 ctest --output-on-failure --timeout 600 -R '$(TSAN_REGEX)'

# Figures against the middleware floor: a release build of its own, then the bench driver,
# which starts and stops its own test set (see bench/results/README.md).
bench: bench-deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build-bench -j $(JOBS)
	build-bench/bench/radalt-bench

# The .deb for a test-set computer (installs below /usr; see docs/packaging.md).
package: deps
	cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build-pkg -j $(JOBS)
	cd build-pkg && cpack -G DEB
	@ls build-pkg/*.deb

clean:
	rm -rf $(BUILD) build-tsan build-asan build-bench build-pkg
