# Named checks for the scripts in tests/windows/ (sourced): each says "ok" or "FAILED" with its
# name, and a failure is counted in $failures rather than ending the script, so one run shows
# every check that fails.
failures=0
check() { # what, command...
  local what=$1
  shift
  if "$@"; then echo "  ok: $what"; else echo "  FAILED: $what" >&2; failures=$((failures + 1)); fi
}
