#!/usr/bin/env bash
# Builds the cabinet and runs it full screen from its staged working directory, with the credit
# service beside it. Money is kept in a state folder outside the build, so it survives rebuilds.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
brindlemark_install_packages

cmake --preset release
cmake --build --preset release

build=$PWD/build/release
state=${XDG_STATE_HOME:-$HOME/.local/state}/brindlemark
mkdir -p "$state"

service_listening() { (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null; }

started=""
if service_listening; then
  echo "A credit service already listens on 127.0.0.1:6667; using it."
else
  "$build/tools/credit/brindlemark-credit" serve --db "$state/credit.db" 2>>"$state/credit.log" &
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
Insert coins from another terminal:  $build/tools/credit/brindlemark-credit insert 100
Show credit and bank:                $build/tools/credit/brindlemark-credit show
The game ends from its Main Menu button, or after 30 seconds without a touch on the menu.
EOT

cd "$build/stage"
status=0
"$build/brindlemark" || status=$?
echo "The cabinet ended with status $status."
exit "$status"
