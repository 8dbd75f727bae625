// DriveFacts: the drive a test folder lives on, read from sysfs and the
// mount table through SystemSources (the drive classifier finds the file
// system and its device): the whole disk under any partition and any
// device-mapper or md layer (the first disk of several), its model, the
// way it is attached, whether it spins, its I/O scheduler, and the file
// system. Read against a captured tree in the tests. GUI thread (the
// thread that runs the group).
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/SystemSources.h"

namespace torvik {

struct DriveFacts {
  QString fileSystem;  // "ext4", "btrfs", ...; empty when no mount holds the folder
  QString device;      // the whole disk: "nvme0n1", "sda", "vda"; empty without one
  QString model;       // as the drive names itself, spaces trimmed; empty where it names none (virtio)
  // How the disk is attached: "nvme", "sata", "scsi", "usb", "virtio",
  // "mmc", "virtual" (a loop or RAM device), or "unknown".
  QString transport;
  std::optional<bool> rotational;  // a spinning disk; none where the kernel does not say
  QString scheduler;               // the I/O scheduler in use: "none", "mq-deadline", "bfq", ...
  uint32_t major = 0, minor = 0;   // the whole disk's device number: its line in /proc/diskstats
  bool HasDevice() const { return !device.isEmpty(); }
};

// The facts of the drive holding `folder` (an absolute path); the file
// system alone where no block device holds it.
DriveFacts ReadDriveFacts(const platform::SystemSources& sources, const QString& folder);

// The way a disk is attached, from the path of its sysfs directory with
// links resolved ("/sys/devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1").
QString TransportOf(const std::string& diskPath);

// The scheduler marked in a queue/scheduler file ("none [mq-deadline]
// kyber" gives "mq-deadline"), or the file's only word.
QString SchedulerOf(const std::string& schedulerFile);

}  // namespace torvik
