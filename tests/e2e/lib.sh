# What the end-to-end scripts share; sourced.
fail=0
check() {  # legend, then a command that must succeed
    local legend=$1
    shift
    if "$@"; then echo "ok: $legend"; else echo "FAILED: $legend"; fail=1; fi
}
wait_for() {  # a shell condition, polled until it holds (60 s at most)
    for _ in $(seq 600); do eval "$1" && return 0; sleep 0.1; done
    return 1
}
