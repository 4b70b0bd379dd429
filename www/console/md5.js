// MD5 of a text's UTF-8 bytes as 32 lower-case hex digits: the login sends
// the password only as this hash.
"use strict";
function md5hex(text) {
    const bytes = new TextEncoder().encode(text);
    const words = new Array(((bytes.length + 8) >> 6) * 16 + 16).fill(0);
    for (let i = 0; i < bytes.length; i++) words[i >> 2] |= bytes[i] << ((i % 4) * 8);
    words[bytes.length >> 2] |= 0x80 << ((bytes.length % 4) * 8);
    const nwords = (((bytes.length + 8) >> 6) + 1) * 16;
    words[nwords - 2] = (bytes.length * 8) >>> 0;
    words[nwords - 1] = Math.floor(bytes.length / 0x20000000);
    const shifts = [7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21];
    const k = [];
    for (let i = 0; i < 64; i++) k[i] = Math.floor(Math.abs(Math.sin(i + 1)) * 0x100000000) >>> 0;
    let a0 = 0x67452301, b0 = 0xefcdab89, c0 = 0x98badcfe, d0 = 0x10325476;
    for (let block = 0; block < nwords; block += 16) {
        let a = a0, b = b0, c = c0, d = d0;
        for (let i = 0; i < 64; i++) {
            let f, g;
            if (i < 16) { f = (b & c) | (~b & d); g = i; }
            else if (i < 32) { f = (d & b) | (~d & c); g = (5 * i + 1) % 16; }
            else if (i < 48) { f = b ^ c ^ d; g = (3 * i + 5) % 16; }
            else { f = c ^ (b | ~d); g = (7 * i) % 16; }
            const s = shifts[(i >> 4) * 4 + (i % 4)];
            const sum = (a + f + k[i] + words[block + g]) | 0;
            a = d; d = c; c = b;
            b = (b + ((sum << s) | (sum >>> (32 - s)))) | 0;
        }
        a0 = (a0 + a) | 0; b0 = (b0 + b) | 0; c0 = (c0 + c) | 0; d0 = (d0 + d) | 0;
    }
    let hex = "";
    for (const w of [a0, b0, c0, d0])
        for (let i = 0; i < 4; i++) hex += ((w >>> (i * 8)) & 0xff).toString(16).padStart(2, "0");
    return hex;
}
