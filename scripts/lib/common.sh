# Shared by scripts/run, scripts/test and scripts/bench: Debian packages and a private X server.

# Everything the build, the tests and the benchmarks need, from Debian 12.
TVK_PACKAGES=(
    cmake g++ make pkgconf
    qt6-base-dev libgl-dev
    libxml2-dev
    libx11-dev libxi-dev libxtst-dev libxkbcommon-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev clang-format
    xvfb xauth xdotool x11-utils
    lua5.4
    fonts-dejavu-core
)

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
