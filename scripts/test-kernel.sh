#!/usr/bin/env bash
# Runs the port backends and ferolith-cli against the real parallel-port
# drivers of Debian's kernel: boots that kernel in QEMU (software emulation,
# no KVM needed) with two emulated ISA parallel ports (0x378 and 0x278, each
# writing into a file), loads parport, parport_pc and ppdev, and runs the
# phases of tests/kernel/ (kernel_port_test, see its header) as root and as
# two ordinary users. One boot for everything; the machine powers itself off.
#
#   scripts/test-kernel.sh [BUILD_DIR]      (default build/release)
#
# Passes only when every phase passed all of its tests and the port output
# files hold exactly the bytes that were handed over. Skips (exit 0, with the
# reason) when QEMU, busybox or the kernel package cannot be had. The kernel
# package is kept in build/kernel-cache/ and used again while it is current.
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD
build=${1:-build/release}
case $build in /*) ;; *) build=$root_dir/$build ;; esac
cache=$root_dir/build/kernel-cache
run=$build/kernel-run
boot_limit=120  # seconds; a machine that hangs is killed after this
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN {printf "%.1f", b - a}'; }
started=$(now)

skip() {
  echo "kernel test SKIPPED: $*"
  exit 0
}
fail() {
  echo "kernel test FAILED: $*" >&2
  exit 1
}

[ "$(uname -s)/$(uname -m)" = "Linux/x86_64" ] || skip "needs Linux on x86_64"

# --- tools -----------------------------------------------------------------
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo -n)
apt_updated=0
apt_install() {
  if [ "$apt_updated" -eq 0 ]; then
    "${as_root[@]}" apt-get update -qq || return 1
    apt_updated=1
  fi
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "$@"
}
need=()
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
command -v busybox >/dev/null || need+=(busybox-static)
command -v cpio >/dev/null || need+=(cpio)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  apt_install "${need[@]}" >/dev/null || skip "cannot install ${need[*]}"
fi

# --- the kernel ----------------------------------------------------------------
# linux-image-amd64 depends on the current kernel's own package; only vmlinuz
# and the three parallel-port modules are taken out of it.
kernel_package() { apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-/ {print $2; exit}'; }
download() { (cd "$cache" && apt-get download -qq "$1" 2>/dev/null); }
# The first of the given paths that exists (a glob that matched nothing does not).
first_file() {
  for path in "$@"; do
    if [ -e "$path" ]; then
      echo "$path"
      return 0
    fi
  done
  return 0
}
mkdir -p "$cache"
package=$(kernel_package || true)
if [ -z "$package" ] && [ "$apt_updated" -eq 0 ]; then
  "${as_root[@]}" apt-get update -qq >/dev/null 2>&1 && apt_updated=1
  package=$(kernel_package || true)
fi
deb=""
if [ -n "$package" ]; then
  deb=$(first_file "$cache/${package}"_*.deb)
  if [ -z "$deb" ]; then
    echo "Downloading $package"
    # Stale package lists may name a version the archive no longer has.
    if download "$package" || { "${as_root[@]}" apt-get update -qq >/dev/null 2>&1 && download "$package"; }; then
      deb=$(first_file "$cache/${package}"_*.deb)
      for old in "$cache"/linux-image-*; do
        [ "${old%.deb}" = "${deb%.deb}" ] || rm -rf "$old"
      done
    else
      echo "Cannot download $package"
    fi
  fi
fi
# Without package lists or the archive, a kernel fetched earlier still does.
[ -n "$deb" ] || deb=$(first_file "$cache"/linux-image-*.deb)
[ -n "$deb" ] || skip "the kernel package (the one linux-image-amd64 depends on) cannot be had"

kernel_dir=$cache/$(basename "$deb" .deb)
if [ ! -f "$kernel_dir/complete" ]; then
  rm -rf "$kernel_dir" && mkdir -p "$kernel_dir"
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$kernel_dir" --wildcards \
    './boot/vmlinuz-*' '*/drivers/parport/parport.ko' '*/drivers/parport/parport_pc.ko' \
    '*/drivers/char/ppdev.ko'
  touch "$kernel_dir/complete"
fi
vmlinuz=$(first_file "$kernel_dir"/boot/vmlinuz-*)
[ -n "$vmlinuz" ] || fail "no vmlinuz in $(basename "$deb")"
modules=()
for module in parport parport_pc ppdev; do
  found=$(find "$kernel_dir/lib" -name "$module.ko" | head -n 1)
  [ -n "$found" ] || fail "$module.ko is not in $(basename "$deb")"
  modules+=("$found")
done

# --- the programs under test -----------------------------------------------------------
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target ferolith-cli kernel_port_test -j"$(nproc)" >/dev/null
cli=$build/cli/ferolith-cli
tests=$build/tests/kernel/kernel_port_test

# --- the initramfs -------------------------------------------------------------------
rm -rf "$run" && mkdir -p "$run/root"
image=$run/root
mkdir -p "$image"/{bin,lib/modules,etc,proc,sys,dev,tmp,src/resources}
cp "$(command -v busybox)" "$image/bin/busybox"
strip --strip-debug -o "$image/bin/ferolith-cli" "$cli"
strip --strip-debug -o "$image/bin/kernel_port_test" "$tests"
# Shared libraries (and the dynamic loader) of everything above, at their paths.
for binary in "$image"/bin/*; do
  ldd "$binary" 2>/dev/null | awk '/=> \// {print $3} /^[[:space:]]*\/[^ ]*ld-linux/ {print $1}' || true
done | sort -u | while read -r library; do
  cp -L --parents "$library" "$image"
done
cp "${modules[@]}" "$image/lib/modules/"
cp resources/ACELIST.CSV "$image/src/resources/"
cp tests/kernel/init.sh "$image/init"
chmod 0755 "$image/init"
cat >"$image/etc/passwd" <<'EOF'
root:x:0:0:root:/tmp:/bin/sh
tester:x:1000:1000:not in lp:/tmp:/bin/sh
lpuser:x:1001:1001:in lp:/tmp:/bin/sh
EOF
cat >"$image/etc/group" <<'EOF'
root:x:0:
lp:x:7:lpuser
tester:x:1000:
lpuser:x:1001:
EOF
(cd "$image" && find . | cpio -o -H newc --quiet) >"$run/initramfs.cpio"

# --- the boot ---------------------------------------------------------------------
# Serial 0 is the console, serial 1 the report; the first parallel port of
# the PC machine sits at 0x378, the second at 0x278.
echo "Booting $(basename "$vmlinuz") with the parallel-port drivers"
boot_started=$(now)
set +e
timeout --kill-after=10 "$boot_limit" qemu-system-x86_64 \
  -machine pc -accel tcg -m 512 -nodefaults -display none -no-reboot \
  -kernel "$vmlinuz" -initrd "$run/initramfs.cpio" \
  -append "console=ttyS0 loglevel=4 panic=-1" \
  -serial "file:$run/console.log" -serial "file:$run/report.txt" \
  -parallel "file:$run/port378.out" -parallel "file:$run/port278.out" \
  </dev/null >"$run/qemu.log" 2>&1
qemu_status=$?
set -e
boot_seconds=$(seconds_since "$boot_started")

show_logs() {
  echo "--- report ($run/report.txt)"
  tr -d '\r' <"$run/report.txt" 2>/dev/null || true
  echo "--- console (last lines of $run/console.log)"
  tail -n 40 "$run/console.log" 2>/dev/null || true
  cat "$run/qemu.log"
}
if [ "$qemu_status" -ne 0 ]; then
  show_logs
  [ "$qemu_status" -eq 124 ] && fail "the machine did not power off within $boot_limit s"
  fail "qemu-system-x86_64 ended with status $qemu_status"
fi

# --- the verdict ---------------------------------------------------------------------
tr -d '\r' <"$run/report.txt" >"$run/report.clean"
problems=()
passed=0
while read -r line; do
  case "$line" in
    "== step "*" status 0") ;;
    "== step "*) problems+=("${line#== }") ;;
  esac
done <"$run/report.clean"
# Every suite of kernel_port_test but PortFiles is a phase of init.sh, which
# must have run it whole and passed.
count_tests() { "$tests" --gtest_list_tests --gtest_filter="$1.*" | grep -c '^  ' || true; }
suites=$("$tests" --gtest_list_tests | sed -n 's/^\([A-Za-z0-9_]*\)\.$/\1/p' | grep -vx PortFiles)
for suite in $suites; do
  expected=$(count_tests "$suite")
  section=$(sed -n "/^== phase $suite begin\$/,/^== phase $suite status /p" "$run/report.clean")
  if ! grep -qx "== phase $suite status 0" <<<"$section"; then
    problems+=("phase $suite did not run or failed")
  elif ! grep -Eqx "\[  PASSED  \] $expected tests?\." <<<"$section"; then
    problems+=("phase $suite did not run its $expected tests")
  else
    passed=$((passed + expected))
  fi
done
grep -qx "== done" "$run/report.clean" || problems+=("the report ends before the last phase")
if ! FEROLITH_KERNEL_RUN=$run "$tests" --gtest_color=no --gtest_filter='PortFiles.*' >"$run/port-files.log" 2>&1; then
  problems+=("the port output files differ")
  cat "$run/port-files.log"
else
  passed=$((passed + $(count_tests PortFiles)))
fi

if [ ${#problems[@]} -gt 0 ]; then
  show_logs
  printf '  %s\n' "${problems[@]}" >&2
  fail "${#problems[@]} problem(s)"
fi
echo "kernel test: boot to power-off ${boot_seconds} s, whole step $(seconds_since "$started") s"
echo "kernel: $passed passed, 0 failed"
