# Shared by scripts/run, scripts/test and scripts/bench: Debian packages and a private X server.

# Everything the build, the tests and the benchmarks need, from Debian 12.
TVK_PACKAGES=(
    cmake g++ make pkgconf
    qt6-base-dev libgl-dev
    libxml2-dev
    libx11-dev libxi-dev libxtst-dev libxkbcommon-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev clang-format
    xvfb xauth xdotool x11-utils x11-xkb-utils openbox
    lua5.4
    fonts-dejavu-core fonts-liberation2 locales
    git dpkg-dev file lintian appstream shared-mime-info
)

# The commands the build, the tests and the benchmarks run, each from a package above.
TVK_TOOLS=(
    cmake g++ make pkg-config clang++-14 clang-format git
    Xvfb xauth xdotool xdpyinfo xprop setxkbmap openbox lua5.4
    locale-gen localedef
    cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli update-mime-database gzip
)

# Fails naming every tool of TVK_TOOLS that is missing after the packages were installed.
check_tools() {
    local missing=()
    local t
    for t in "${TVK_TOOLS[@]}"; do
        command -v "$t" >/dev/null 2>&1 || missing+=("$t")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Missing after installing TVK_PACKAGES: ${missing[*]} (add their packages to scripts/lib/common.sh)" >&2
        return 1
    fi
}

# Makes the German locale the script tests also run under, when the system lacks it.
ensure_german_locale() {
    locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8' && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
}

# Installs the packages of the arguments that are missing (as root, or through sudo).
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Starts Xvfb on the first free display from :90 and exports DISPLAY; stop_xvfb ends it.
start_xvfb() {
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            TVK_XVFB_PID=$!
            local i
            for i in $(seq 1 100); do
                if [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                    export DISPLAY=":$n"
                    # Tests that type text expect the US layout, whatever the machine's default.
                    if ! setxkbmap -layout us -variant '' -option ''; then
                        echo "could not set the US keyboard layout on :$n" >&2
                        kill "$TVK_XVFB_PID" 2>/dev/null || true
                        return 1
                    fi
                    return 0
                fi
                kill -0 "$TVK_XVFB_PID" 2>/dev/null || break
                sleep 0.1
            done
            kill "$TVK_XVFB_PID" 2>/dev/null || true
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_xvfb() {
    if [ -n "${TVK_XVFB_PID:-}" ]; then
        kill "$TVK_XVFB_PID" 2>/dev/null || true
        wait "$TVK_XVFB_PID" 2>/dev/null || true
        TVK_XVFB_PID=""
    fi
}

jobs_count() {
    nproc 2>/dev/null || echo 2
}
