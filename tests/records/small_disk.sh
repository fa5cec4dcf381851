#!/bin/sh
# Mounts (or unmounts) a 64 KiB tmpfs for the full-disk tests of the record file:
#   small_disk.sh mount FOLDER | small_disk.sh unmount FOLDER
# Where mounting is not permitted (not root, or in a container without the right), it says
# so and succeeds: the tests then skip with the reason.
set -u
folder=$2
case $1 in
  mount)
    mkdir -p "$folder"
    mountpoint -q "$folder" && umount "$folder"
    if mount -t tmpfs -o size=64k,mode=0777 tarn-small-disk "$folder" 2>/dev/null; then
      echo "small file system mounted at $folder"
    else
      rmdir "$folder" 2>/dev/null
      echo "cannot mount a small file system here (needs root): full-disk tests skip"
    fi
    ;;
  unmount)
    if mountpoint -q "$folder"; then umount "$folder"; fi
    rmdir "$folder" 2>/dev/null
    ;;
esac
exit 0
