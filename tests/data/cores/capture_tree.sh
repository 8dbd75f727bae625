#!/bin/sh
# Writes this machine's processor topology, caches and control-group files
# as a .tree file (one file a line: its path, a space, its text with new
# lines written as \n), for the thread-plan tests:
#   tests/data/cores/capture_tree.sh > tests/data/cores/NAME.tree
set -eu
emit() {
  [ -r "$1" ] || return 0
  printf '%s %s\n' "$1" "$(sed -e 's/\\/\\\\/g' "$1" | awk 'BEGIN { ORS = "\\n" } { print }')"
}
echo "# captured from $(uname -r) on $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
cpu=/sys/devices/system/cpu
for f in online present possible; do emit $cpu/$f; done
for d in $cpu/cpu[0-9]*; do
  for f in core_id physical_package_id die_id thread_siblings_list; do emit "$d/topology/$f"; done
  emit "$d/cpu_capacity"
  for i in "$d"/cache/index*; do
    for f in level type size shared_cpu_list; do emit "$i/$f"; done
  done
done
emit /sys/devices/cpu_core/cpus
emit /sys/devices/cpu_atom/cpus
emit /proc/self/cgroup
grep cgroup /proc/self/mountinfo > /tmp/mountinfo.$$ || true
printf '%s %s\n' /proc/self/mountinfo "$(awk 'BEGIN { ORS = "\\n" } { print }' /tmp/mountinfo.$$)"
rm -f /tmp/mountinfo.$$
for f in /sys/fs/cgroup/cpu.max /sys/fs/cgroup/cpuset.cpus.effective /sys/fs/cgroup/cpuset/cpuset.effective_cpus \
         /sys/fs/cgroup/cpu/cpu.cfs_quota_us /sys/fs/cgroup/cpu/cpu.cfs_period_us; do
  emit "$f"
done
