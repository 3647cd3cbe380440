#!/usr/bin/env bash
# The install step's exit status and its service policy file, with the package tools replaced by
# stand-ins (the real ones would install packages on the machine running the tests):
#   prueba_instalacion.sh SOURCE-FOLDER
# dpkg-query reports every package missing (or every one installed), apt-get records its calls
# and whether the policy file was in place while it ran.
set -euo pipefail
raiz=$1
trabajo=$(mktemp -d)
trap 'rm -rf "$trabajo"' EXIT
falla() {
  echo "FAILED: $*" >&2
  exit 1
}

mkdir -p "$trabajo/bin"
cat >"$trabajo/bin/dpkg-query" <<'FIN'
#!/bin/sh
[ "$INSTALADOS" = todos ] && printf 'install ok installed'
exit 0
FIN
cat >"$trabajo/bin/apt-get" <<'FIN'
#!/bin/sh
echo "$* politica=$([ -x "$QUILMARO_POLICY_RC" ] && cat "$QUILMARO_POLICY_RC" | tail -n1)" >>"$REGISTRO"
[ "$1" = install ] && [ -n "${APT_FALLA:-}" ] && exit 100
exit 0
FIN
chmod +x "$trabajo/bin/"*

instala() {
  PATH="$trabajo/bin:$PATH" QUILMARO_POLICY_RC="$trabajo/policy-rc.d" REGISTRO="$trabajo/registro" \
    bash "$raiz/scripts/install-deps.sh" >"$trabajo/salida" 2>&1
}

# A machine that already has a policy file: everything installed, exit 0, the file untouched.
printf '#!/bin/sh\nexit 0\n' >"$trabajo/policy-rc.d"
chmod +x "$trabajo/policy-rc.d"
: >"$trabajo/registro"
INSTALADOS=ninguno instala || falla "install with an existing policy file exited $?"
grep -q '^install .*mariadb-server.* politica=exit 0$' "$trabajo/registro" ||
  falla "apt-get install was not run under the machine's own policy: $(cat "$trabajo/registro")"
[ "$(tail -n1 "$trabajo/policy-rc.d")" = "exit 0" ] || falla "the machine's policy file was changed"

# No policy file: one is in place while packages install and gone afterwards.
rm -f "$trabajo/policy-rc.d"
: >"$trabajo/registro"
INSTALADOS=ninguno instala || falla "install without a policy file exited $?"
grep -q '^install .* politica=exit 101$' "$trabajo/registro" ||
  falla "services were not held back while installing: $(cat "$trabajo/registro")"
[ ! -e "$trabajo/policy-rc.d" ] || falla "the policy file made for the install was left behind"

# A failed install is a failure, and still leaves no policy file of its own.
if INSTALADOS=ninguno APT_FALLA=1 instala; then falla "a failed apt-get install exited 0"; fi
[ ! -e "$trabajo/policy-rc.d" ] || falla "the policy file was left behind after a failure"

# Everything there: silent, exit 0, apt-get not called.
: >"$trabajo/registro"
INSTALADOS=todos instala || falla "install with everything present exited $?"
[ ! -s "$trabajo/salida" ] && [ ! -s "$trabajo/registro" ] || falla "a complete machine was not left alone"
echo "install step: 4 cases passed"
