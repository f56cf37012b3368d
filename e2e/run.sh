#!/usr/bin/env bash
# End to end through a real Linux kernel: boots Debian's stock kernel in
# QEMU (TCG) with an initramfs holding busybox, the USB/SCSI/gadget modules,
# the gadget program and the terminal program, and runs the guest's cases
# (e2e/guest/init) against the emulated bridge presented as a USB device.
#
#   e2e/run.sh            build in build/ (or QFW_E2E_BUILD), boot, check
#
# Exit status: 0 when every guest case passed, or with a SKIPPED line when
# QEMU or the kernel package cannot be had; 1 on any failure.
# Settings: QFW_E2E_BUILD (build tree, default build), QFW_E2E_TIMEOUT
# (seconds for the whole boot, default 300).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${QFW_E2E_BUILD:-build}
work=$build/e2e-guest
timeout_s=${QFW_E2E_TIMEOUT:-300}
started=$SECONDS

say() { echo "e2e: $*"; }
skip() {
  say "SKIPPED: $*"
  exit 0
}
fail() {
  say "FAILED: $*"
  exit 1
}

# --- packages ---------------------------------------------------------------
ensure_packages() {
  local missing=()
  for p in qemu-system-x86 busybox-static cpio kmod; do
    dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  say "installing ${missing[*]}"
  local sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  if ! { "${sudo_cmd[@]}" apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
    > "$work/apt.log" 2>&1; then
    skip "cannot install ${missing[*]} (see $work/apt.log)"
  fi
}

# --- programs ---------------------------------------------------------------
build_programs() {
  if [[ ! -f $build/CMakeCache.txt ]]; then
    scripts/deps.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQFW_WERROR=ON > /dev/null
  fi
  for target in qfw-e2e-gadget qfwupdate-cli; do
    grep -q "/$target\.dir\$" "$build/CMakeFiles/TargetDirectories.txt" ||
      fail "the build in $build has no target $target (is its folder added to the CMake build?)"
  done
  cmake --build "$build" --target qfw-e2e-gadget qfwupdate-cli --parallel "$(nproc)" > "$work/build.log" ||
    fail "building the programs failed (see $work/build.log)"
  gadget=$build/e2e/qfw-e2e-gadget
  cli=$build/app/cli/qfwupdate-cli
}

# --- kernel -----------------------------------------------------------------
fetch_kernel() {
  local package
  package=$(apt-cache depends linux-image-amd64 2> /dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  if [[ -z $package ]]; then
    apt-get update -qq > /dev/null 2>&1 || true
    package=$(apt-cache depends linux-image-amd64 2> /dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  fi
  [[ -n $package ]] || skip "the package index names no kernel for linux-image-amd64"
  local cache=$work/kernel-cache
  mkdir -p "$cache"
  if ! ls "$cache/${package}_"*.deb > /dev/null 2>&1; then
    say "downloading $package"
    # A stale package index names a version the archive no longer has:
    # refresh it once before giving up.
    (cd "$cache" && apt-get download "$package" > download.log 2>&1) ||
      { apt-get update -qq > /dev/null 2>&1 && (cd "$cache" && apt-get download "$package" > download.log 2>&1); } ||
      skip "cannot download $package (see $cache/download.log)"
  fi
  version=${package#linux-image-}
  kroot=$work/kernel
  if [[ ! -f $kroot/lib/modules/$version/modules.dep ]]; then
    rm -rf "$kroot"
    dpkg-deb -x "$cache/${package}_"*.deb "$kroot"
    depmod -b "$kroot" "$version"
  fi
  vmlinuz=$kroot/boot/vmlinuz-$version
  [[ -f $vmlinuz ]] || fail "the kernel package holds no $vmlinuz"
}

# The modules to load, dependencies first, each once: usb-storage leads so
# that delay_use=0 is in force before any device attaches.
declare -A listed=()
module_order=()
add_module() {
  local name=$1 line path dep
  line=$(grep -E "(^|/)${name}\.ko(\.[a-z]+)?:" "$kroot/lib/modules/$version/modules.dep") ||
    fail "no module $name in $version"
  path=${line%%:*}
  [[ -z ${listed[$path]:-} ]] || return 0
  for dep in ${line#*:}; do
    dep=${dep##*/}
    add_module "${dep%%.ko*}"
  done
  listed[$path]=1
  module_order+=("$path")
}

# --- initramfs --------------------------------------------------------------
copy_with_libraries() {
  local binary=$1 root=$2 lib
  install -D -s -m 755 "$binary" "$root/e2e/bin/$(basename "$binary")"
  # Static binaries have nothing to copy; dynamic ones bring their
  # libraries and the loader along, at the same paths.
  local libraries
  libraries=$(ldd "$binary" 2> /dev/null | grep -oE '/[^ ]+' || true)
  for lib in $libraries; do
    [[ -e $root$lib ]] || install -D -m 755 "$(readlink -f "$lib")" "$root$lib"
  done
}

make_initramfs() {
  local root=$work/initramfs
  rm -rf "$root"
  mkdir -p "$root"/{bin,sbin,proc,sys,dev,tmp,run,e2e/scenarios,lib/modules/"$version"}
  install -m 755 /bin/busybox "$root/bin/busybox"
  local applet
  for applet in $(/bin/busybox --list); do
    [[ $applet == busybox ]] || ln -s busybox "$root/bin/$applet"
  done
  install -m 755 e2e/guest/init "$root/init"
  cp e2e/scenarios/*.json "$root/e2e/scenarios/"
  copy_with_libraries "$gadget" "$root"
  copy_with_libraries "$cli" "$root"

  for name in usb-storage sd_mod sg configfs libcomposite usb_f_fs dummy_hcd; do
    add_module "$name"
  done
  local path params
  : > "$root/e2e/modules.list"
  for path in "${module_order[@]}"; do
    install -D -m 644 "$kroot/lib/modules/$version/$path" "$root/lib/modules/$version/$path"
    params=""
    [[ $path == */usb-storage.ko* ]] && params="delay_use=0"
    echo "$path $params" >> "$root/e2e/modules.list"
  done
  initramfs=$work/initramfs.cpio
  (cd "$root" && find . | cpio -o -H newc --quiet) > "$initramfs"
  say "initramfs: $(du -h "$initramfs" | cut -f1), ${#module_order[@]} modules"
}

# --- boot -------------------------------------------------------------------
boot() {
  local log=$work/console.log status=0
  say "booting $version under TCG (time limit ${timeout_s}s)"
  local boot_start=$SECONDS
  timeout "$timeout_s" qemu-system-x86_64 -accel tcg -nographic -no-reboot -m 512M -smp 1 -nic none \
    -kernel "$vmlinuz" -initrd "$initramfs" \
    -append "console=ttyS0 panic=-1 loglevel=4 rdinit=/init" < /dev/null 2>&1 |
    tr -d '\r' | tee "$log" | grep --line-buffered -E '^(e2e|  [|])' || status=${PIPESTATUS[0]}
  say "guest ran $((SECONDS - boot_start)) s"
  [[ $status -ne 124 ]] || fail "the guest did not finish within ${timeout_s}s (see $log)"
  local summary
  summary=$(grep -E '^e2e guest: [0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1) ||
    fail "the guest printed no result (QEMU exit $status; see $log)"
  local passed failed
  passed=$(sed -E 's/.* ([0-9]+) passed.*/\1/' <<< "$summary")
  failed=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<< "$summary")
  say "took $((SECONDS - started)) s in all; the whole console is in $log"
  if [[ $failed -ne 0 || $passed -eq 0 ]]; then
    say "gadget and kernel logs of the guest:"
    grep -E '^  (gadget|dmesg)[|]' "$log" | tail -n 200
  fi
  echo "e2e: $passed passed, $failed failed"
  [[ $failed -eq 0 && $passed -gt 0 ]] || exit 1
}

mkdir -p "$work"
command -v apt-get > /dev/null || skip "no apt-get: this test needs Debian's packages"
ensure_packages
command -v qemu-system-x86_64 > /dev/null || skip "qemu-system-x86_64 is not available"
build_programs
fetch_kernel
make_initramfs
boot
