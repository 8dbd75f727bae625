#!/usr/bin/env python3
"""Writes the synthetic machines of the thread-plan tests as .tree files
(one file a line: its path, a space, its text with new lines as \\n), the
same format capture_tree.sh writes of a real machine:
    tests/data/cores/make_trees.py tests/data/cores"""
import os
import sys

CPU = "/sys/devices/system/cpu"


def cpu_list(ids):
    ids = sorted(ids)
    parts, i = [], 0
    while i < len(ids):
        j = i
        while j + 1 < len(ids) and ids[j + 1] == ids[j] + 1:
            j += 1
        parts.append(str(ids[i]) if i == j else f"{ids[i]}-{ids[j]}")
        i = j + 1
    return ",".join(parts)


def machine(cores, comment, extra=None):
    """cores: one (package, die, core_id, [logical ids], capacity or None) per core."""
    files = {}
    ids = sorted(i for c in cores for i in c[3])
    files[f"{CPU}/online"] = cpu_list(ids)
    files[f"{CPU}/present"] = cpu_list(ids)
    for package, die, core, threads, capacity in cores:
        for i in threads:
            d = f"{CPU}/cpu{i}"
            files[f"{d}/topology/core_id"] = str(core)
            files[f"{d}/topology/physical_package_id"] = str(package)
            files[f"{d}/topology/die_id"] = str(die)
            files[f"{d}/topology/thread_siblings_list"] = cpu_list(threads)
            if capacity is not None:
                files[f"{d}/cpu_capacity"] = str(capacity)
    files.update(extra or {})
    return comment, files


def write(folder, name, spec):
    comment, files = spec
    with open(os.path.join(folder, name + ".tree"), "w") as out:
        out.write(f"# {comment}\n")
        for path in sorted(files):
            text = files[path].replace("\\", "\\\\").replace("\n", "\\n")
            out.write(f"{path} {text}\\n\n")


def cgroup_v2(path, files):
    extra = {"/proc/self/cgroup": f"0::{path}",
             "/proc/self/mountinfo": "25 22 0:23 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw"}
    for name, text in files.items():
        extra[f"/sys/fs/cgroup{name}"] = text
    return extra


def main(folder):
    write(folder, "one", machine([(0, 0, 0, [0], None)], "one processor"))
    # Intel numbering: the first threads of the four cores, then their siblings.
    write(folder, "smt8", machine([(0, 0, c, [c, c + 4], None) for c in range(4)],
                                  "4 cores with SMT, siblings n and n+4"))
    # Two packages of 32 cores, no SMT, the second package's cores listed first.
    write(folder, "two-packages-64", machine(
        [(1, 0, c, [c], None) for c in range(32)] + [(0, 0, c, [32 + c], None) for c in range(32)],
        "64 cores in two packages, package 1 holding processors 0-31"))
    # Two packages of 64 cores with SMT (AMD numbering: siblings n and n+128),
    # four dies a package.
    cores = []
    for package in range(2):
        for c in range(64):
            first = package * 64 + c
            cores.append((package, c // 16, c, [first, first + 128], None))
    write(folder, "server256", machine(cores, "256 logical processors: 2 x 64 cores with SMT"))
    # 8 performance cores with SMT (0-15, siblings side by side) and 8
    # efficiency cores (16-23), as Alder Lake lists them.
    hybrid = [(0, 0, c * 4, [2 * c, 2 * c + 1], None) for c in range(8)]
    hybrid += [(0, 0, 32 + c, [16 + c], None) for c in range(8)]
    write(folder, "hybrid", machine(hybrid, "8 performance cores with SMT and 8 efficiency cores", {
        "/sys/devices/cpu_core/cpus": "0-15", "/sys/devices/cpu_atom/cpus": "16-23"}))
    # A container given three processors of eight by a cgroup v2 cpuset.
    write(folder, "cpuset3of8", machine([(0, 0, c, [c], None) for c in range(8)],
                                        "8 processors, a cgroup v2 cpuset of 2, 3 and 6",
                                        cgroup_v2("/bench.slice/run.scope", {
                                            "/bench.slice/run.scope/cpuset.cpus.effective": "2-3,6",
                                            "/bench.slice/run.scope/cpu.max": "max 100000",
                                            "/bench.slice/cpuset.cpus.effective": "0-7"})))
    # A cgroup v2 quota of 1.5 processors on the parent group of four.
    write(folder, "quota-v2", machine([(0, 0, c, [c], None) for c in range(4)],
                                      "4 processors, a cgroup v2 quota of 1.5 processors above the group",
                                      cgroup_v2("/user.slice/session.scope", {
                                          "/user.slice/session.scope/cpu.max": "max 100000",
                                          "/user.slice/cpu.max": "150000 100000"})))
    # A cgroup v1 quota of 2 processors on four.
    write(folder, "quota-v1", machine([(0, 0, c, [c], None) for c in range(4)],
                                      "4 processors, a cgroup v1 quota of 2 processors", {
                                          "/proc/self/cgroup": "3:cpuset:/\n2:cpu,cpuacct:/job\n1:name=systemd:/",
                                          "/sys/fs/cgroup/cpu,cpuacct/job/cpu.cfs_quota_us": "200000",
                                          "/sys/fs/cgroup/cpu,cpuacct/job/cpu.cfs_period_us": "100000",
                                          "/sys/fs/cgroup/cpuset/cpuset.effective_cpus": "0-3"}))
    # big.LITTLE without the hybrid lists: capacities only.
    write(folder, "big-little", machine(
        [(0, 0, c, [c], 446) for c in range(4)] + [(0, 0, 4 + c, [4 + c], 1024) for c in range(4)],
        "4 little cores (capacity 446) listed before 4 big ones (1024)"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
