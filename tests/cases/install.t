# What `cmake --install` and the Debian package put in place: the programs, the bus policy
# that lets the tool own its command ids on a system bus, and the docs.

case destdir
  $ DESTDIR=$ROOT/stage cmake --install "$BRELTA_BUILD_DIR" --prefix /usr >/dev/null && cd stage && find . -type f ! -path './usr/share/doc/*' | sort && ls usr/share/doc/brelta-test-tool/README.md usr/share/doc/brelta-test-tool/architecture.md
    ./usr/bin/brelta-device
    ./usr/bin/brelta_test_tool
    ./usr/libexec/brelta-test-tool/brelta-capture
    ./usr/share/bash-completion/completions/brelta-device
    ./usr/share/dbus-1/system.d/brelta.keycombination.conf
    ./usr/share/man/man1/brelta-device.1
    ./usr/share/man/man1/brelta_test_tool.1
    usr/share/doc/brelta-test-tool/README.md
    usr/share/doc/brelta-test-tool/architecture.md

# Right after ./run, `cmake --install` works: every file that the install rules take from the
# build directory is made by the configure or by `programs`, the one target that ./run builds.
# A build directory configured as ./run configures build/, with Ninja only so that the graph of
# what `programs` makes can be listed; nothing is compiled.
case run-build-installs
  $ src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$BRELTA_BUILD_DIR/CMakeCache.txt"); cmake -S "$src" -B run -G Ninja -DBRELTA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null && ninja -C run -t graph programs | sed -n 's/.*label="\([^"]*\)".*/\1/p' > made
  $ grep -oh '"'"$ROOT"'/run/[^"$]*"' $(find run -name cmake_install.cmake) | tr -d '"' | grep -v '/cmake_install.cmake$' | sort | while read -r file; do
    > if [ -e "$file" ]; then echo "configure: ${file#$ROOT/run/}"; elif grep -qxF "${file#$ROOT/run/}" made; then echo "programs: ${file#$ROOT/run/}"; else echo "neither: ${file#$ROOT/run/}"; fi; done
    programs: bin/brelta-device
    programs: bin/brelta_test_tool
    configure: dbus/brelta.keycombination.conf
    programs: libexec/brelta-test-tool/brelta-capture
    configure: share/bash-completion/completions/brelta-device
    programs: share/man/man1/brelta-device.1
    configure: share/man/man1/brelta_test_tool.1

# A bus configured as the system bus is (nobody owns a name that no policy grants), with the
# installed policy directory included: the tool owns its id while it runs. The loop polls
# until the name is owned or the run is over.
case bus-policy-grants-the-id
  $ DESTDIR=$ROOT/stage cmake --install "$BRELTA_BUILD_DIR" --prefix /usr >/dev/null
  write bus.conf <busconfig><type>system</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth><includedir>stage/usr/share/dbus-1/system.d</includedir><policy context="default"><allow user="*"/><deny own="*"/><deny send_type="method_call"/><allow send_type="signal"/><allow send_requested_reply="true" send_type="method_return"/><allow send_requested_reply="true" send_type="error"/><allow receive_type="method_call"/><allow receive_type="method_return"/><allow receive_type="error"/><allow receive_type="signal"/><allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/></policy></busconfig>
  bus bus.conf
  start brelta.keycombination.ndf
  $ until grep -qs 'work finish' log/system; do gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner brelta.keycombination.ndf 2>&1 | grep true && break; sleep 0.05; done
    (true,)
  wait

# The same bus without the policy refuses the name, and the run goes on as ever.
case bus-without-policy-refuses-the-id
  write bus.conf <busconfig><type>system</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth><includedir>stage/usr/share/dbus-1/system.d</includedir><policy context="default"><allow user="*"/><deny own="*"/><deny send_type="method_call"/><allow send_type="signal"/><allow send_requested_reply="true" send_type="method_return"/><allow send_requested_reply="true" send_type="error"/><allow receive_type="method_call"/><allow receive_type="method_return"/><allow receive_type="error"/><allow receive_type="signal"/><allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/></policy></busconfig>
  bus bus.conf
  start brelta.keycombination.ndf
  $ until grep -qs 'work finish' log/system; do gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner brelta.keycombination.ndf 2>&1 | grep true && break; sleep 0.05; done
  wait
  records system brelta_test_tool.cpp
    brelta_test_tool.cpp: main > start work !! => arg brelta.keycombination.ndf
    brelta_test_tool.cpp: own_name > own bus brelta.keycombination.ndf
    brelta_test_tool.cpp: main > work finish!! exit!!

# The workbench package: the shared libraries it loads declared (GUdev, which the tool loads
# only for the live USB service, recommended), and its programs working from where dpkg-deb
# unpacks them.
case debian-package
  $ cpack -G DEB --config "$BRELTA_BUILD_DIR/CPackConfig.cmake" -B "$ROOT/pkg" >/dev/null 2>&1
  $ dpkg-deb -f pkg/*.deb Package Version Recommends && dpkg-deb -f pkg/*.deb Depends | tr , '\n' | sed 's/ *(.*//; s/^ //' | grep -x -e libc6 -e libglib2.0-0 -e libsoup-3.0-0 -e libsystemd0 -e libpcap0.8 && dpkg-deb -x pkg/*.deb unpacked
    Package: brelta-test-tool
    Version: 1.0.0
    Recommends: libgudev-1.0-0
    libc6
    libglib2.0-0
    libpcap0.8
    libsoup-3.0-0
    libsystemd0
  env PATH=$ROOT/unpacked/usr/bin:/usr/bin:/bin
  run brelta.keycombination.WiFiList
  $ command -v brelta_test_tool && command -v brelta-device && brelta-device settings list && BRELTA_LIVE=capture brelta-device capture status | grep missing || echo "capture helper found"
    $ROOT/unpacked/usr/bin/brelta_test_tool
    $ROOT/unpacked/usr/bin/brelta-device
    db/network/LaunchNWWireless int 1
    capture helper found
