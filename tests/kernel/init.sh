#!/bin/busybox sh
# shellcheck shell=dash
# /init of the kernel test's initramfs (see scripts/test-kernel.sh). Runs the
# phases of kernel_port_test with the rights and drivers each needs, writes
# every result to the second serial port (the host's report file) and powers
# the machine off. The console (first serial port) only carries the kernel's
# own messages and a line per step.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
chmod 1777 /tmp

stty -F /dev/ttyS1 raw -echo
exec 3>/dev/ttyS1
export FEROLITH_CLI=/bin/ferolith-cli FEROLITH_SOURCE_DIR=/src

# step COMMAND...: runs a preparation step and reports its status.
step() {
  "$@"
  echo "== step $* status $?" >&3
}

# phase SUITE [USER [VARIABLE=VALUE...]]: runs one suite of kernel_port_test,
# as root (USER empty) or as USER, with the variables in its environment.
phase() {
  suite=$1
  user=${2:-}
  [ $# -ge 2 ] && shift 2 || shift
  echo "phase $suite" >/dev/console
  echo "== phase $suite begin" >&3
  if [ -z "$user" ]; then
    env "$@" /bin/kernel_port_test --gtest_color=no --gtest_filter="$suite.*" >&3 2>&3
  else
    su -s /bin/sh "$user" -c "/bin/kernel_port_test --gtest_color=no --gtest_filter='$suite.*'" >&3 2>&3
  fi
  echo "== phase $suite status $?" >&3
}

phase RootWithoutPpdev
# Root as sudo leaves it when the user tester runs a program through it.
phase RootThroughSudo "" SUDO_UID=1000 SUDO_GID=1000

# Two ports numbered against their address order: parport0 at 0x278,
# parport1 at 0x378. No interrupts: the tests poll, as the program does.
step insmod /lib/modules/parport.ko
step insmod /lib/modules/parport_pc.ko io=0x278,0x378 irq=none,none
step insmod /lib/modules/ppdev.ko
phase RootWithPpdev

# The nodes as udev's rule for parallel ports leaves them.
step chgrp lp /dev/parport0 /dev/parport1
step chmod 0660 /dev/parport0 /dev/parport1
phase UserWithoutLp tester
phase UserInLp lpuser

dmesg | grep -i -e parport -e ppdev >&3
echo "== done" >&3
exec 3>&-
poweroff -f
