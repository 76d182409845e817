# Package lists, sourced by the run and test commands.
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev
                fonts-comic-neue libxkbcommon-dev libvulkan-dev qt6-svg-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
                libsqlite3-dev)
TEST_PACKAGES=(libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth x11-utils e2fsprogs xdotool clang libclang-rt-14-dev
               qstat openbox wmctrl xclip)
# The client check runs gamedig with node; Debian's nodejs and npm when none is there.
CLIENT_PACKAGES=(nodejs npm)
# Building the Debian package and checking it with the desktop's own validators.
PACKAGE_PACKAGES=(dpkg-dev fakeroot lintian desktop-file-utils appstream)
# The monkey stage: a real window manager, close requests through it, and the
# driver on Debian's own Python with its X library.
MONKEY_PACKAGES=(xvfb x11-utils openbox wmctrl python3 python3-xlib util-linux passwd)
