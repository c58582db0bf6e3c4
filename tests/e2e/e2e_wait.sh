# Waiting for a state instead of sampling it once, for the end-to-end scripts; sourced.
# Under load a window may answer late, a posted command may take effect late, and a
# probe's own start may take seconds: a step waits for what it needs, up to a limit.

# wait_until MS CMD [ARGS...]: runs CMD every 0.2 s until it succeeds or MS milliseconds
# have passed; fails when it never did.
wait_until() {
    local ms=$1 end
    shift
    end=$(($(date +%s%3N) + ms))
    until "$@"; do
        [ "$(date +%s%3N)" -ge "$end" ] && return 1
        sleep 0.2
    done
}

# answer MS CMD [ARGS...]: CMD's output once it succeeds with some output, tried again
# until MS milliseconds have passed; says so on stderr when it never answered.
answer() {
    local ms=$1 out end
    shift
    end=$(($(date +%s%3N) + ms))
    while :; do
        out=$("$@") && [ -n "$out" ] && { printf '%s\n' "$out"; return 0; }
        if [ "$(date +%s%3N)" -ge "$end" ]; then
            echo "no answer from '$*' within $ms ms" >&2
            return 1
        fi
        sleep 0.2
    done
}
