#!/usr/bin/env bash
# Regenerates the HEX files the tests load, with the real tools that write
# such files, and each good file's expected memory window (0x3000-0x3FFF,
# 4096 bytes, FF where the file has no data) as written by srec_cat.
# Needs: sdcc, srecord, binutils, python3. The tests themselves need none.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# SDCC: a real 8051 program linked for 0x3000, the linker's .ihx and packihx's.
cp blink.c "$work/"
(cd "$work" && sdcc -mmcs51 --code-loc 0x3000 blink.c >/dev/null)
cp "$work/blink.ihx" sdcc_blink.ihx
packihx sdcc_blink.ihx > sdcc_blink.hex 2>/dev/null
# The same program built without --code-loc: SDCC's default, code at 0x0000,
# so nothing lands in the board's window.
mkdir "$work/at0" && cp blink.c "$work/at0/"
(cd "$work/at0" && sdcc -mmcs51 blink.c >/dev/null)
packihx "$work/at0/blink.ihx" > sdcc_blink_at_0.hex 2>/dev/null

# Deterministic binaries: 1000 bytes and a full 4096-byte window.
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * 37 + 11) % 256 for i in range(1000)))' > "$work/part.bin"
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * 151 + i // 256) % 256 for i in range(4096)))' > "$work/full.bin"

# srec_cat: its default Intel output (starts with a type-04 record), and
# 16- and 32-byte records.
srec_cat "$work/part.bin" -binary -offset 0x3000 -o srec_default.hex -intel
srec_cat "$work/part.bin" -binary -offset 0x3000 -o srec_obs16.hex -intel -obs=16
srec_cat "$work/part.bin" -binary -offset 0x3000 -o srec_obs32.hex -intel -obs=32
srec_cat "$work/full.bin" -binary -offset 0x3000 -o srec_full.hex -intel

# Every one of the 16384 cells, 0x0000-0x3FFF (for the benchmarks).
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * 29 + i // 97) % 256 for i in range(16384)))' > "$work/all.bin"
srec_cat "$work/all.bin" -binary -o srec_all_cells.hex -intel

# objcopy from a raw binary.
objcopy -I binary -O ihex --change-addresses 0x3000 "$work/part.bin" objcopy.hex

# Variants of real files.
sed 's/$/\r/' sdcc_blink.hex > variant_crlf.hex
tr '\n' '\r' < srec_obs16.hex > variant_cr.hex
tr 'A-F' 'a-f' < srec_obs32.hex > variant_lowercase.hex
grep -v '^:00000001FF' srec_obs16.hex > variant_no_end.hex
grep -v '^:00000001FF' srec_obs16.hex | head -c -1 > variant_no_end_no_newline.hex
: > variant_empty.hex
printf ':00000001FF\n' > variant_end_only.hex
awk 'NR == 3 { print ""; print "   " } { print "\t" $0 "  " }' objcopy.hex > variant_blanks.hex

good="sdcc_blink.ihx sdcc_blink.hex srec_default.hex srec_obs16.hex srec_obs32.hex srec_full.hex objcopy.hex
      variant_crlf.hex variant_cr.hex variant_lowercase.hex variant_no_end.hex variant_no_end_no_newline.hex
      variant_empty.hex variant_end_only.hex variant_blanks.hex"
for f in $good; do
    # srec_cat reads only LF or CR LF line ends and a non-empty file; the
    # variants have the bytes of the files they were made from.
    case $f in
        variant_crlf.hex) src=sdcc_blink.hex ;;
        variant_cr.hex|variant_no_end*.hex) src=srec_obs16.hex ;;
        variant_lowercase.hex) src=srec_obs32.hex ;;
        variant_blanks.hex) src=objcopy.hex ;;
        variant_empty.hex|variant_end_only.hex)
            srec_cat -generate 0x3000 0x4000 -constant 0xFF -offset -0x3000 -o "${f%.*}.window.bin" -binary
            continue ;;
        *) src=$f ;;
    esac
    srec_cat -disable-sequence-warnings "$src" -intel -crop 0x3000 0x4000 -fill 0xFF 0x3000 0x4000 -offset -0x3000 \
        -o "${f%.*}.window.bin" -binary
done

# Damaged files, each with one fault; the tests know the line of each.
mkdir -p bad
awk 'NR == 10 { $0 = substr($0, 1, length($0) - 1) (substr($0, length($0)) == "0" ? "1" : "0") } { print }' \
    srec_obs16.hex > bad/checksum_middle.hex
awk 'NR == 5 { $0 = substr($0, 1, 12) "G" substr($0, 14) } { print }' srec_obs16.hex > bad/letter_g.hex
head -n 6 srec_obs16.hex > bad/truncated_last.hex
sed -n 7p srec_obs16.hex | head -c 30 >> bad/truncated_last.hex
awk 'NR == 4 { $0 = substr($0, 1, 20) substr($0, 22) } { print }' srec_obs16.hex > bad/odd_length.hex
awk 'NR == 3 { print "Tohle neni zaznam" } { print }' srec_obs16.hex > bad/garbage_line.hex
python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)))' > "$work/spill.bin"
srec_cat "$work/spill.bin" -binary -offset 0x3F80 -o bad/spill_over_3fff.hex -intel -obs=16
printf '\xDE\xAD\xBE\xEF' > "$work/four.bin"
srec_cat "$work/four.bin" -binary -offset 0x10000 -o bad/type04_to_10000.hex -intel

# Hand-made records, with correct checksums, for what no tool writes.
record() {  # record TYPE ADDRESS HEXDATA
    python3 - "$@" <<'PY'
import sys
rtype, addr, data = int(sys.argv[1], 16), int(sys.argv[2], 16), bytes.fromhex(sys.argv[3])
body = bytes([len(data), addr >> 8, addr & 0xFF, rtype]) + data
print(":" + (body + bytes([-sum(body) & 0xFF])).hex().upper(), end="")
PY
}
{ record 00 3000 01020304; echo; record 06 0000 01020304; echo; record 01 0000 ""; echo; } > bad/type06.hex
{ record 00 3000 01020304; echo; record 00 3004 0506; record 01 0000 ""; echo; } > bad/two_on_a_line.hex
