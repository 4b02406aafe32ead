# The live USB service: udev's block devices (an umockdev testbed) below a USB device, whose
# file system is mounted (a loop-mounted image in the case's mount namespace), as the tool's
# own USB class sees them.

case storage
  needs loop
  namespace mount
  # Two disks: the first mounted at once, the second attached to a loop device and mounted
  # only once it is plugged in; udev initialised the second first.
  $ truncate -s 2M one.img two.img && mkfs.ext2 -q one.img && mkfs.ext2 -q two.img &&
    > mkdir 'usb one' two && mount -o loop one.img 'usb one' && losetup --find --show two.img > two.loop
  cleanup losetup --detach "$(cat two.loop)"
  $ disk() { printf 'P: /devices/usb1/%s\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: product=%s\n\nP: /devices/usb1/%s/%s:1.0/host%s/block/sd%s\nE: SUBSYSTEM=block\nE: DEVTYPE=disk\nE: USEC_INITIALIZED=%s\nE: MAJOR=%s\nE: MINOR=%s\n' "$1" "$2" "$1" "$1" "$1" "$1" "$3" "${4%:*}" "${4#*:}"; }
    > disk 1 'Cruzer Blade' 2000 "$(mountpoint -d 'usb one')" > one.umockdev
    > disk 2 'Second Disk' 1000 "$(printf '%d:%d' 0x$(stat -c '%t 0x%T' "$(cat two.loop)"))" > two.umockdev
  umockdev
  env BRELTA_LIVE=usb
  $ brelta-usb-probe
    count 0
    mount\x20
    product (none)
  umockdev add one.umockdev
  $ brelta-usb-probe
    count 1
    mount $ROOT/usb one
    product Cruzer Blade
  background brelta-usb-probe --watch 2 > events
  await events watching
  umockdev add two.umockdev
  $ mount "$(cat two.loop)" two
  await events add
  $ brelta-usb-probe
    count 2
    mount $ROOT/two
    product Second Disk
  umockdev remove /sys/devices/usb1/2/2:1.0/host2/block/sd2
  await events remove
  $ cat events
    count 1
    mount $ROOT/usb one
    product Cruzer Blade
    watching
    add $ROOT/two Second Disk
    remove $ROOT/two Second Disk
