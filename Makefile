# The two commands that work on a fresh Debian machine: `make demo` and `make test`.
.PHONY: demo test build bench fuzz format studio clean package

build:
	@scripts/bootstrap
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev

demo: build
	@scripts/demo

test:
	@scripts/bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev
	ctest --preset dev -j2
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	# The preset turns off the leak checker's tracking of dynamically loaded
	# libraries' thread-local blocks (intercept_tls_get_addr=0): on this glibc
	# its bookkeeping of those blocks can hold garbage ranges, and its tracer
	# then crashes at exit ("Tracer caught signal 11"). Every case runs once,
	# with the leak check on.
	ctest --preset asan -j2

bench:
	@scripts/bootstrap
	cmake --preset release >/dev/null
	cmake --build --preset release
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true

# The Debian package of an optimised build: build/release/orvevizari_<version>_<arch>.deb
package:
	@scripts/bootstrap
	cmake --preset release >/dev/null
	cmake --build --preset release --target orve_install_files
	cd build/release && cpack -G DEB

fuzz:
	@scripts/bootstrap && scripts/fuzz

format:
	@git ls-files '*.h' '*.cpp' | xargs -r clang-format -i

studio: build
	build/dev/bin/orvevizari-studio

clean:
	rm -rf build

# A picture of the desktop host after a simulated 96-well run of 3 samples,
# and the heat map of the demo run's first sample.
screenshot: build
	QT_QPA_PLATFORM=offscreen build/dev/bin/orvevizari-studio --method examples/plate-96.json \
	    --demo-run 3 --runs demo-out/runs --screenshot docs/studio.png
	@echo "wrote docs/studio.png"
	@scripts/demo >/dev/null
	build/dev/bin/orvevizari results plot demo-out/results.json --sample S1 -o docs/plate.png --overwrite
