#!/usr/bin/env python3
"""Writes the hand-made inputs of the fuzz corpora (fuzz/corpus/<target>/hand_*).

Inputs found by the fuzzer sit beside them under libFuzzer's hash names. Run from anywhere;
existing hand_* files are rewritten.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "hand_" + name), "wb") as f:
        f.write(data)


def u16(text):
    return text.encode("utf-16-le", "surrogatepass")


# ini_parse: byte 0 odd = code page 936, even = 65001; the profile bytes follow.
def ini(name, cp, data):
    if isinstance(data, str):
        data = data.encode("gbk" if cp == 936 else "utf-8", "surrogatepass")
    write("ini_parse", name, bytes([1 if cp == 936 else 0]) + data)


write("ini_parse", "empty", b"")
ini("only_code_page", 65001, b"")
ini("profile", 936, "[CUSTOMPAR]\r\nFILEPASSWORD=pw\r\nUSINGFILEPASSWORD=1\r\n"
    "COMPANY=某某科技有限公司\r\nPHONE = 010-1234 \r\nURL=http://a.example/?x=1&y=2\r\n")
ini("line_ends", 65001, "[a]\rk1=v1\n[b]\r\nk2=v2\r\r\n\n\rk3=v3\n\r[c]")
ini("empty_sections", 65001, "[a]\r\n[b]\r\n[c]\r\nk=v\r\n[d]\r\n[e]\r\n")
ini("bracket_lines", 65001, "[a=b]\r\n[=]\r\n[a]]\r\n[abc\r\n[a]b\r\n[]\r\n[ x ]\r\n]\r\n[\r\n")
ini("nul_bytes", 65001, b"[a\x00b]\r\nk\x00=v\x00w\r\n\x00\r\n=\x00\r\n")
ini("gbk", 936, "[SYSPAR]\r\nLANGFILELIST=中文简体.ini|English.ini|繁體中文.ini\r\n")
ini("gbk_invalid", 936, b"[s]\r\nk=\x81\r\nk2=\x80\xff\xfe\r\n\xa1\r\nk3=\xd6\xd0\x81")
ini("utf8_bom", 65001, b"\xef\xbb\xbf[a]\r\nk=v\r\n")
ini("utf8_invalid", 65001, b"[s]\r\nk=\xed\xa0\x80\xc0\x80\xe4\xb8\r\n\xf4\x90\x80\x80=x")
ini("nameless_section", 65001, "k=1\r\n[a]\r\nk=2\r\n[]\r\nz=3\r\n[A]\r\nq=4\r\n")
ini("nameless_last", 65001, "[a]\r\nx=1\r\n[]\r\nk=2\r\n")
ini("duplicates", 65001, "[Sec]\r\nKey=1\r\nkey=2\r\n[SEC]\r\nother=3\r\n[b]\r\n[sec]\r\nk=4\r\n")
ini("equals", 65001, "k==v==\r\n = =\r\n==\r\n=x\r\n[s]\r\n==k= v =\r\nkey=\r\n")
ini("white_space", 65001, "\t[ a ]\t\r\n\v key \f=\t value \r\n \r\n\t\r\n")
ini("numbers", 65001, "[n]\r\na=2147483648\r\nb=-2147483649\r\nc=  +12x\r\nd=-\r\n"
    "e=99999999999999999999\r\n")
ini("long_line", 65001, "[long]\r\n" + "k" * 600 + "=" + "值" * 600 + "\r\n")

# split_string: byte 0 bit 7 = UTF-16LE units, bits 0-2 = separator length; separator, source.
def split(name, sep, source, wide=False):
    if wide:
        write("split_string", name, bytes([0x80 | len(sep)]) + u16(sep + source))
    else:
        write("split_string", name, bytes([len(sep)]) + (sep + source).encode("latin-1"))


split("equals", "=", " a = b == c =")
split("crlf", "\r\n", "line1\r\n\r\n line2 \r\n\r")
split("bar", "|", "a||b| |c|")
split("overlap", "aa", "aaa")
split("overlap_aba", "aba", "xababa")
split("empty_separator", "", "  text  ")
split("no_separator", ";", " whole text ")
split("only_white_space", "=", " \t\r\n\v\f ")
split("leading_separators", "=", "===a")
split("separator_with_spaces", " = ", "a = b= c = ")
split("wide", "、", "中、文、 、\u3000、x", wide=True)
write("split_string", "wide_odd_length", b"\x81|\x00a\x00|\x00b")

# icon_file: directory header, first entry, image bytes.
def ico(count, size, offset, body=b"", width=16):
    head = struct.pack("<HHH", 0, 1, count)
    entry = struct.pack("<BBBBHHII", width, width, 0, 0, 1, 32, size, offset)
    return head + entry + body


image = bytes(range(40))
write("icon_file", "one_image", ico(1, len(image), 22, image))
write("icon_file", "no_images", ico(0, len(image), 22, image))
write("icon_file", "image_beyond_end", ico(1, len(image) + 1, 22, image))
write("icon_file", "empty_image", ico(1, 0, 22, image))
write("icon_file", "too_short", ico(1, 0, 22)[:21])
write("icon_file", "header_only", ico(1, 0, 22))
write("icon_file", "offset_overflow", ico(1, 0xFFFFFFFF, 0xFFFFFFFF, image))
write("icon_file", "offset_inside_header", ico(1, 10, 2, image))
write("icon_file", "png_256", ico(2, 8, 38, struct.pack("<BBBBHHII", 32, 32, 0, 0, 1, 32, 4, 46)
                                 + b"\x89PNG\r\n\x1a\n" + b"more", width=0))
write("icon_file", "empty", b"")
bitmap = struct.pack("<I", 40) + bytes(36)
png = b"\x89PNG\r\n\x1a\nIHDR"
two = (struct.pack("<HHH", 0, 1, 2) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, 40, 38)
       + struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(png), 78) + bitmap + png)
write("icon_file", "bitmap_and_png", two)
write("icon_file", "second_image_cut", two[:-1])


# icon_group: byte 0 = images present (bits) and image count, byte 1 = length of the
# rebuilt group, that group's data, then the other group's data.
def group(ids, count=None, reserved=0, kind=1):
    head = struct.pack("<HHH", reserved, kind, len(ids) if count is None else count)
    return head + b"".join(struct.pack("<BBBBHHIH", 32, 32, 0, 0, 1, 32, 100, i) for i in ids)


def groups(name, present, rebuilt, other):
    write("icon_group", name, bytes([present, len(rebuilt)]) + rebuilt + other)


groups("shared", 0b111, group([1, 2]), group([2, 3]))
groups("other_counts_more", 0b1011, group([4]), group([1, 2], count=5))
groups("reserved_set", 0b1, group([1], reserved=1), group([]))
groups("entry_missing", 0b11, group([1, 2], count=3), group([7]))
groups("empty_groups", 0b10000010, b"", b"")

# string_block: edition, stretch, caption length, name length, UTF-16LE units (also parsed
# as block data).
def block(name, edition, stretch, caption, doc_name, tail=b""):
    data = bytes([edition, stretch, len(caption), len(doc_name)]) + u16(caption + doc_name)
    write("string_block", name, data + tail)


block("caption", 0, 0, "VedArod", "")
block("new_doc_name", 1, 0, "", "新文档")
block("both_v62", 2, 0, "维达", "Doc")
block("edition_out_of_range", 3, 0, "x", "y")
block("nothing", 0, 0, "", "")
block("template_at_limit", 0, 0xF8, "ab", "")      # caption 13098 units: template 65534
block("template_over_limit", 0, 0xF9, "ab", "")    # 13099 units: template 65539
block("caption_at_limit", 1, 0xE7, "c", "n")        # 65535 units
block("caption_over_limit", 1, 0xE8, "c", "n")      # 65536 units
block("surrogates_nul", 0, 0, "\ud800a\x00", "\udc00")
write("string_block", "empty_block_data", bytes([0, 0, 0, 0]) + bytes(32))
write("string_block", "padded_block_data", bytes([0, 0, 0, 0]) + struct.pack("<H", 2) + u16("ab")
      + bytes(30) + bytes(6))
write("string_block", "truncated_block_data", bytes([0, 0, 0, 0]) + struct.pack("<H", 5) + u16("abc"))
write("string_block", "odd_block_data", bytes([0, 0, 0, 0]) + bytes(33))

# pe_image: small PE32 / PE32+ images.
def pe(plus=True, sections=(0x200,), overlay=b"", cert=b"", checksum=0, symbols=None,
       symbol_count=2, directories=16, optional_size=None, pe_offset=0x80):
    opt_size = optional_size if optional_size is not None else (240 if plus else 224)
    optional = pe_offset + 24
    table = optional + opt_size
    headers = (table + 40 * len(sections) + 0x1FF) // 0x200 * 0x200
    out = bytearray(headers)
    out[0:2] = b"MZ"
    struct.pack_into("<I", out, 0x3C, pe_offset)
    out[pe_offset:pe_offset + 4] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", out, pe_offset + 4, 0x8664 if plus else 0x14C, len(sections),
                     0, 0, 0, opt_size, 0x22)
    struct.pack_into("<H", out, optional, 0x20B if plus else 0x10B)
    struct.pack_into("<II", out, optional + 32, 0x1000, 0x200)
    struct.pack_into("<II", out, optional + 60, headers, checksum)
    dirs = optional + (112 if plus else 96)
    if dirs <= table:
        struct.pack_into("<I", out, dirs - 4, directories)
    for i, size in enumerate(sections):
        h = table + 40 * i
        raw = (size + 0x1FF) // 0x200 * 0x200
        out[h:h + 3] = b".s%d" % i
        struct.pack_into("<IIII", out, h + 8, size, 0x1000 * (i + 1), raw, len(out))
        out += bytes((j * 7 + i) & 0xFF for j in range(raw))
    out += overlay
    if symbols is not None:
        struct.pack_into("<II", out, pe_offset + 12, len(out), symbol_count)
        out += symbols
    if cert:
        out += bytes(-len(out) % 8)
        struct.pack_into("<II", out, dirs + 32, len(out), len(cert))
        out += cert + bytes(-len(cert) % 8)
    return bytes(out)


write("pe_image", "pe32plus", pe())
write("pe_image", "pe32", pe(plus=False, sections=(0x10, 0x200)))
write("pe_image", "overlay", pe(overlay=b"payload" * 8))
write("pe_image", "certificate_at_end", pe(overlay=b"ov", cert=b"\x10\0\0\0\0\x02\x02\0cert"))
write("pe_image", "certificate_inside_overlay", pe(cert=b"cert") + b"after the certificate")
write("pe_image", "symbol_table", pe(symbols=b"\x2e\x74\x65\x78\x74" + bytes(31) + b"\4\0\0\0",
                                     checksum=0x1234))
write("pe_image", "checksum", pe(checksum=0xDEADBEEF, overlay=b"x"))
write("pe_image", "no_sections", pe(sections=()))
write("pe_image", "four_directories", pe(directories=4))
write("pe_image", "optional_too_short", pe(optional_size=50))
full = pe(overlay=b"tail")
write("pe_image", "truncated_in_sections", full[:0x300])
write("pe_image", "truncated_in_file_header", full[:0x90])
write("pe_image", "truncated_in_dos_header", full[:0x3E])
bad = bytearray(full)
struct.pack_into("<I", bad, 0x80 + 24 + 240 + 20, 0xFFFFFF00)  # raw data offset
write("pe_image", "section_beyond_end", bytes(bad))
huge = bytearray(full)
struct.pack_into("<I", huge, 0x3C, 0xFFFFFFF0)
write("pe_image", "huge_lfanew", bytes(huge))
# The file header overlaps the DOS header: NumberOfSymbols is e_lfanew as well.
write("pe_image", "headers_overlap_dos", pe(pe_offset=0x2C, symbols=b"symbols!", symbol_count=0x2C))


def with_resources(patch=None):
    """A PE32+ image whose second section (RVA 0x2000, file offset 0x400) holds a resource
    tree: type 3, a named entry "ICO", language 2052, 8 bytes of data."""
    out = bytearray(pe(sections=(0x200, 0x200)))
    tree = bytearray(0x200)
    struct.pack_into("<HH", tree, 12, 0, 1)
    struct.pack_into("<II", tree, 16, 3, 0x80000000 | 0x18)
    struct.pack_into("<HH", tree, 0x18 + 12, 1, 0)
    struct.pack_into("<II", tree, 0x18 + 16, 0x80000000 | 0x60, 0x80000000 | 0x30)
    struct.pack_into("<HH", tree, 0x30 + 12, 0, 1)
    struct.pack_into("<II", tree, 0x30 + 16, 2052, 0x48)
    struct.pack_into("<II", tree, 0x48, 0x2070, 8)
    struct.pack_into("<H", tree, 0x60, 3)
    tree[0x62:0x68] = u16("ICO")
    tree[0x70:0x78] = b"icondata"
    if patch:
        patch(tree)
    out[0x400:0x600] = tree
    directories = 0x80 + 24 + 112
    struct.pack_into("<II", out, directories + 16, 0x2000, 0x78)
    return bytes(out)


write("pe_image", "resources", with_resources())
write("pe_image", "resource_data_outside",
      with_resources(lambda t: struct.pack_into("<I", t, 0x4C, 0x1000)))
write("pe_image", "resource_loop",
      with_resources(lambda t: struct.pack_into("<I", t, 0x30 + 20, 0x80000000)))
write("pe_image", "resource_name_outside",
      with_resources(lambda t: struct.pack_into("<H", t, 0x60, 0xFFFF)))
write("pe_image", "mz_only", b"MZ")
write("pe_image", "not_mz", b"ZM" + full[2:0x100])

# lang_file: whole language files.
LANG = ("[ZOVIDE]\r\n## comment line\r\nIDS_OK          =    确定\r\nids_cancel=取消\r\n"
        "IDS_OK=again, later wins\r\n")
write("lang_file", "utf16_marked", b"\xff\xfe" + u16(LANG))
write("lang_file", "utf8_marked", b"\xef\xbb\xbf" + LANG.encode("utf-8"))
write("lang_file", "utf16_unmarked", u16(LANG))
write("lang_file", "utf16_big_endian", b"\xfe\xff" + LANG.encode("utf-16-be"))
write("lang_file", "unmarked_without_zero", b"IDS_OK=OK\r\n")
write("lang_file", "utf16_odd_length", b"\xff\xfe" + u16("A=1\r\nB=2") + b"\x42")
write("lang_file", "mark_only", b"\xff\xfe")
write("lang_file", "utf8_mark_only", b"\xef\xbb\xbf")
write("lang_file", "empty", b"")
write("lang_file", "bare_cr", b"\xff\xfe" + u16("A=1\rB=2\r\nC\r=3\r\r\n"))
write("lang_file", "short_lines", b"\xff\xfe" + u16("\n=\nx\n=\r\n==\n#\n##\n##=\n #=1\n ##A=1\nz"))
write("lang_file", "escaped_apostrophe", b"\xff\xfe" + u16("IDS_A=it\\'s\r\nIDS_B=\\\\''\r\n"))
write("lang_file", "utf8_invalid", b"\xef\xbb\xbf" + b"A=\xed\xa0\x80\xc0\x80\xe4\xb8\nB=\xff\n")
write("lang_file", "surrogates_nul", b"\xff\xfe" + u16("\ud800=\udc00\r\nA\x00B=\x00\r\n\x00=\r\n"))
write("lang_file", "white_space", b"\xff\xfe" + u16("\t\v A b \f= \t text \t\r\n \r\n"))
write("lang_file", "many_ids", b"\xef\xbb\xbf" + "".join(
    "IDS_%03d=%d\n" % ((i * 37) % 300, i) for i in range(300)).encode())

# version_resource: resource data of RT_VERSION, nodes laid out as different compilers do.
def vnode(key, value=b"", children=(), vtype=1, vlen=None, pad_last=False):
    def pad(b):
        return b + bytes(-len(b) % 4)
    body = pad(bytes(6) + u16(key + "\0")) + value
    for child in children:
        body = pad(body) + child
    if pad_last:
        body = pad(body)
    if vlen is None:
        vlen = len(value) // 2 if vtype == 1 else len(value)
    return struct.pack("<HHH", len(body), vlen, vtype) + body[6:]


def vstring(key, value, vlen=None):
    return vnode(key, u16(value), vlen=vlen)


FIXED = struct.pack("<13I", 0xFEEF04BD, 0x10000, 0x10002, 0x30004, 0x50006, 0x70008, 0x3F, 0,
                    0x40004, 1, 0, 0, 0)
VAR = vnode("VarFileInfo", children=[vnode("Translation", struct.pack("<HHHH", 0x804, 1200,
                                                                      0x409, 1200), vtype=0)])
ZH = vnode("080404b0", children=[vstring("CompanyName", "某公司\0"), vstring("ProductName", "Zov"),
                                 vstring("Comments", "", vlen=0)], pad_last=True)
EN = vnode("040904b0", children=[vstring("CompanyName", "Zav Ltd\0", vlen=16),
                                 vstring("ProductName", "Zov\0")])
write("version_resource", "fixed_one_table",
      vnode("VS_VERSION_INFO", FIXED, [vnode("StringFileInfo", children=[EN]), VAR], vtype=0))
write("version_resource", "two_tables_no_fixed",
      vnode("VS_VERSION_INFO", b"", [vnode("StringFileInfo", children=[ZH, EN]), VAR], vtype=0))
write("version_resource", "var_first_padded_root",
      vnode("VS_VERSION_INFO", FIXED, [VAR, vnode("StringFileInfo", children=[ZH])], vtype=0)
      + b"\0\0\x7f")
write("version_resource", "no_strings_nested_other",
      vnode("VS_VERSION_INFO", FIXED, [vnode("x", children=[vnode("y", children=[vnode("z")])])],
            vtype=0))
write("version_resource", "truncated", vnode("VS_VERSION_INFO", FIXED, [VAR], vtype=0)[:60])
