# Sourced (not run) by the scripts that run Windows programs. Wine runs the DLL as a
# 32-bit Linux process, which some kernels refuse (IA-32 emulation switched
# off: exec gives "Exec format error"). vt_can_run_32bit answers by trying:
# it runs the 32-bit dynamic loader that Wine's own i386 packages bring.
# vt_no_32bit_reason says why not, for the log.
vt_can_run_32bit() {
  local loader=/lib/ld-linux.so.2
  [ -e "$loader" ] || return 1
  "$loader" --version >/dev/null 2>&1
}

vt_no_32bit_reason() {
  local loader=/lib/ld-linux.so.2
  if [ ! -e "$loader" ]; then
    echo "no 32-bit loader ($loader) is installed"
  else
    echo "this kernel cannot run 32-bit programs ($loader: $("$loader" --version 2>&1 | head -n1 | sed 's/^.*: //'))"
  fi
}
