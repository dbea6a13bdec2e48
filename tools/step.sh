# shellcheck shell=sh
# Names the step that a script of ./check's stages is at, so that ./check can
# say where a stage failed ("=== package FAILED: cpack"): the name goes to
# the file $COMBO_STEP_FILE, which ./check sets, and nowhere when run alone.
# Sourced by ./check and the scripts it runs (sh or bash).
step() {
  if [ -n "${COMBO_STEP_FILE:-}" ]; then
    printf '%s\n' "$*" >"$COMBO_STEP_FILE"
  fi
}
