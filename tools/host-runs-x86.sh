#!/usr/bin/env bash
# Exits 0 when this host executes 32-bit x86 programs, 1 when it cannot. Some hypervisors give no 32-bit mode
# although the kernel is built with IA32 emulation; only running a 32-bit program tells, so this runs one: a
# 93-byte i386 ELF that calls exit(0). TRRADIO_HOST_X86=no (or yes) overrides the probe, so the 64-bit-only path
# can be rehearsed on a host that has both.
case "${TRRADIO_HOST_X86:-}" in
  no) exit 1 ;;
  yes) exit 0 ;;
esac
probe=$(mktemp "${TMPDIR:-/tmp}/trradio-x86-probe.XXXXXX")
trap 'rm -f "$probe"' EXIT
# ELF header, one loadable segment at 0x08048000, then: mov eax,1; xor ebx,ebx; int 0x80.
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
