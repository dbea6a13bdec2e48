#!/bin/bash
# Checks every source file of the repository with its linter, each file
# found afresh on every run, so that a new one is never missed:
#   ShellCheck  every shell script: named *.sh or *.bash, or starting with a
#               #! line that runs sh, bash or dash;
#   clang-format --dry-run -Werror
#               every C and C++ file (.c .cc .cpp .h .hpp), as .clang-format
#               lays them out;
#   ESLint      every JavaScript file under web/ and bench/, with the rules
#               of web/eslint.config.js, ESLint pinned in web/package.json
#               and web/package-lock.json and installed there with npm ci.
# The files are those git tracks and those it would add (not ignored).
#
# Usage: tools/lint.sh   (from anywhere; needs git, shellcheck, clang-format,
# node and npm)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh

# Prints the files git tracks or would add, one a line, that are there.
repository_files() {
  local file
  git ls-files --cached --others --exclude-standard |
    while IFS= read -r file; do
      if [ -f "$file" ]; then printf '%s\n' "$file"; fi
    done
}

# Prints the shell scripts among the files named on standard input.
shell_scripts() {
  local file first
  while IFS= read -r file; do
    case $file in
      *.sh | *.bash) printf '%s\n' "$file" ;;
      *)
        first=$(head -c 100 -- "$file" | head -n 1 | tr -d '\0')
        if [[ $first =~ ^#!.*(/|[[:space:]])(ba|da)?sh([[:space:]]|$) ]]; then
          printf '%s\n' "$file"
        fi
        ;;
    esac
  done
}

files=$(repository_files)
failed=()  # the linters that found faults: each runs, whatever the others found

step shellcheck
mapfile -t scripts < <(shell_scripts <<<"$files")
[ ${#scripts[@]} -gt 0 ] || fail "no shell script found"
if shellcheck --external-sources -- "${scripts[@]}"; then
  echo "lint.sh: shellcheck: ${#scripts[@]} scripts clean"
else
  failed+=(shellcheck)
fi

step clang-format
mapfile -t sources < <(grep -E '\.(c|cc|cpp|h|hpp)$' <<<"$files")
[ ${#sources[@]} -gt 0 ] || fail "no C or C++ file found"
if clang-format --dry-run -Werror -- "${sources[@]}"; then
  echo "lint.sh: clang-format: ${#sources[@]} C and C++ files as" \
    ".clang-format lays them out"
else
  failed+=(clang-format)
fi

step "npm ci"
(cd web && npm ci --no-audit --no-fund)
step eslint
if web/node_modules/.bin/eslint --max-warnings 0 \
  --config web/eslint.config.js web bench; then
  echo "lint.sh: eslint: $(grep -cE '^(web|bench)/.*\.(js|mjs)$' \
    <<<"$files") JavaScript files clean"
else
  failed+=(eslint)
fi

if [ ${#failed[@]} -gt 0 ]; then
  step "${failed[*]}"
  fail "faults found by ${failed[*]}"
fi
