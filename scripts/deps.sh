# What building and testing need, from Debian's packages. Sourced by the
# other scripts; installs only what is missing (as root, or through sudo).
POIGUARD_BUILD_PACKAGES="cmake g++ make pkg-config libasound2-dev libsndfile1-dev libosmium2-dev libgps-dev libespeak-ng-dev libcurl4-openssl-dev"
POIGUARD_PACKAGES="$POIGUARD_BUILD_PACKAGES libgtest-dev libgmock-dev libbenchmark-dev valgrind gpsbabel osmium-tool gpsd gpsd-clients locales curl python3 chromium chromium-driver libxml2-utils espeak-ng-data sox"

# What building needs, and what the tests need besides.
install_build_deps() { install_packages $POIGUARD_BUILD_PACKAGES "$@"; }
install_deps() { install_packages $POIGUARD_PACKAGES "$@"; }

# Whether a package is installed for this machine's architecture (or is
# one for all): once arm64 is added, a plain name stands for two packages
# and "dpkg -s" calls it ambiguous. NAME:ARCH asks for that one.
installed() {
    local arch
    case $1 in
    *:*) arch=${1#*:} ;;
    *) arch="($(dpkg --print-architecture)|all)" ;;
    esac
    dpkg-query -W -f='${Architecture} ${db:Status-Status}\n' "$1" 2>/dev/null | grep -qxE "$arch installed"
}

install_packages() {
    local missing=()
    for p in "$@"; do
        installed "$p" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The arm64 cross compiler, the arm64 builds of the libraries and an
# emulator to run what it builds.
install_arm64() {
    dpkg --print-foreign-architectures | grep -qx arm64 || {
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo dpkg --add-architecture arm64
        $sudo apt-get update -qq
    }
    install_packages g++-aarch64-linux-gnu qemu-user dpkg-dev file \
        libasound2-dev:arm64 libsndfile1-dev:arm64 libgtest-dev:arm64 \
        zlib1g-dev:arm64 libexpat1-dev:arm64 libbz2-dev:arm64 libgps-dev:arm64 libespeak-ng-dev:arm64 \
        libcurl4-openssl-dev:arm64
}
