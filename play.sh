#!/usr/bin/env bash
# Builds the cabinet and runs it full screen from its staged working directory, with the credit
# service beside it. Only what playing needs is installed and built: the game, the credit service,
# the asset and pack generators and the staged files (./test.sh builds and tests everything).
# Money is kept in a state folder outside the build, so it survives rebuilds.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
brindlemark_install_packages "${BRINDLEMARK_PLAY_PACKAGES[@]}"

# Configuring again is only needed on a fresh tree; the build reconfigures by itself when a
# CMake file changes.
if [ ! -f build/play/build.ninja ]; then
  cmake --preset play
fi
cmake --build --preset play

build=$PWD/build/play
credit=$build/tools/credit/brindlemark-credit
state=${XDG_STATE_HOME:-$HOME/.local/state}/brindlemark
mkdir -p "$state"

service_listening() { (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null; }

started=""
if service_listening; then
  echo "A credit service already listens on 127.0.0.1:6667; using it."
else
  "$credit" serve --db "$state/credit.db" 2>>"$state/credit.log" &
  started=$!
  trap 'kill "$started" 2>/dev/null; wait "$started" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do service_listening && break; sleep 0.05; done
  if ! service_listening; then
    echo "The credit service did not start; the end of its log ($state/credit.log):" >&2
    tail -n 5 "$state/credit.log" >&2
    exit 1
  fi
  echo "Credit service started (database $state/credit.db, log $state/credit.log)."
fi

cat <<EOT
Insert coins from another terminal:  $credit insert 100
Show credit and bank:                $credit show
The game ends from its Main Menu button, or after 30 seconds without a touch on the menu.
EOT

# What an exit status of the cabinet means (it has no other way to tell at start-up).
explain_status() {
  case $1 in
    255) echo "no window could be made: is DISPLAY set to an X display that lets this user in" \
              "(or SDL_VIDEODRIVER to a driver that works here)?" ;;
    1) echo "no network socket could be made for the credit service." ;;
    2) echo "the credit service is not listening on 127.0.0.1:6667 (see $state/credit.log)." ;;
    250) echo "the display could not be brought up: no 800x600 picture at 32, 24 or 16 bits, or" \
              "no renderer for the window." ;;
    249) echo "a question pack is missing from $build/stage/Questions/trueorfalse" \
              "(build the stage target again)." ;;
    248) echo "the sound effects could not be set up." ;;
    *) if [ "$1" -gt 128 ]; then
         echo "it was ended by signal $(($1 - 128)) ($(kill -l $(($1 - 128)) 2>/dev/null || echo unknown))."
       else
         echo "an unknown status."
       fi ;;
  esac
}

cd "$build/stage"
log="$build/stage/~system/logs/Brindlemark.txt"
marker=$state/cabinet.started
touch "$marker"
status=0
"$build/brindlemark" || status=$?
if [ "$status" -ne 0 ]; then
  echo "The cabinet ended with status $status: $(explain_status "$status")" >&2
elif [ "$log" -ot "$marker" ]; then
  # Status 0 without a log of this run: the working folders could not be made.
  echo "The cabinet ended at once: it could not make its folders ~system, ~system/logs and" \
       "~system/upload in $build/stage." >&2
else
  echo "The cabinet ended normally."
fi
exit "$status"
