# Shared by the demo and test scripts: package installation and the Wine
# session that runs the Windows binaries.

REDUDI_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# One package a line.
REDUDI_PACKAGES=(
    cmake
    ninja-build
    g++
    clang
    googletest
    libbenchmark-dev
    libicu-dev
    libssl-dev
    libglib2.0-dev
    g++-mingw-w64-x86-64
    g++-mingw-w64-i686
    wine
    wine64
    zip
    unzip
    doxygen
    locales
    libinih-dev
    libsimpleini-dev
    libiniparser-dev
    libctemplate-dev
    nlohmann-json3-dev
    chromium
)

# Installs whatever of the build's packages is missing (Debian, as root).
ensure_packages() {
    local missing=()
    for package in "${REDUDI_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# Configures and builds one CMake preset.
# Uses ccache where it is installed (it is not required): several work trees
# of this repository then share their compiled objects.
build_preset() {
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$REDUDI_ROOT")}"
        export CCACHE_NOHASHDIR=true
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake --preset "$1" -S "$REDUDI_ROOT" "${launcher[@]}" >/dev/null &&
        cmake --build --preset "$1" -- "${@:2}"
}

# Starts a persistent wineserver for the x86_64 build's prefix and boots the
# prefix, with Wine's service processes detached from our output pipes (or a
# test runner reading them would wait for ever). stop_wine ends the session.
start_wine() {
    export WINEPREFIX="$REDUDI_ROOT/build/windows-x64/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    # A server already running for this prefix (a caller started it) is fine.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1
    trap stop_wine EXIT
}

stop_wine() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
}
