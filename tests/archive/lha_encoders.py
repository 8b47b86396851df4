"""Small encoders for the LHA methods no tool at hand writes: LHarc's -lh1- (LZSS with adaptive
Huffman codes), LHA's -lh4- (the -lh5- format with a 4 KiB dictionary, one block of static
Huffman codes) and LHark's -lh7- (the -lh5- format with its own length and distance codes).
They find matches greedily and aim at correct streams, not small ones.
"""
import heapq


class BitWriter:
    """Bits, most significant first; the last byte is padded with zeros."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def put(self, value, width):
        for shift in range(width - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> shift) & 1)
            self.count += 1
            if self.count == 8:
                self.out.append(self.acc)
                self.acc = 0
                self.count = 0

    def bytes(self):
        if self.count:
            return bytes(self.out) + bytes([self.acc << (8 - self.count)])
        return bytes(self.out)


def matches(data, window, longest, shortest=3):
    """Greedy LZSS over `data`: ("lit", byte) and ("copy", length, distance) with distances up
    to `window` and lengths up to `longest`; no copy reaches before the start of the data."""
    tokens = []
    heads = {}
    pos = 0
    while pos < len(data):
        best_length, best_distance = 0, 0
        key = data[pos:pos + shortest]
        if len(key) == shortest:
            for start in reversed(heads.get(key, [])[-64:]):
                distance = pos - start
                if distance > window:
                    break
                length = 0
                while (length < longest and pos + length < len(data)
                       and data[start + length] == data[pos + length]):
                    length += 1
                if length > best_length:
                    best_length, best_distance = length, distance
        step = best_length if best_length >= shortest else 1
        if step > 1:
            tokens.append(("copy", best_length, best_distance))
        else:
            tokens.append(("lit", data[pos]))
        for at in range(pos, pos + step):
            heads.setdefault(data[at:at + shortest], []).append(at)
        pos += step
    return tokens


def code_lengths(freqs, limit=16):
    """Huffman code lengths for the symbols with a count, none longer than `limit`."""
    used = [s for s, f in enumerate(freqs) if f]
    if len(used) < 2:
        return [1 if f else 0 for f in freqs]
    scale = 0
    while True:
        heap = [(max(freqs[s] >> scale, 1), s, (s,)) for s in used]
        heapq.heapify(heap)
        depth = {s: 0 for s in used}
        serial = len(freqs)
        while len(heap) > 1:
            fa, _, a = heapq.heappop(heap)
            fb, _, b = heapq.heappop(heap)
            for s in a + b:
                depth[s] += 1
            heapq.heappush(heap, (fa + fb, serial, a + b))
            serial += 1
        if max(depth.values()) <= limit:
            return [depth.get(s, 0) for s in range(len(freqs))]
        scale += 1


def canonical(lengths):
    """The codes the LHA decoders give lengths: shorter first, then by symbol."""
    codes = [0] * len(lengths)
    code = 0
    for length in range(1, max(lengths) + 1):
        for symbol, own in enumerate(lengths):
            if own == length:
                codes[symbol] = code
                code += 1
        code <<= 1
    return codes


class Table:
    """A Huffman table over symbols 0..size-1 from their counts; one used symbol (or none) is
    the decoders' single code of no bits."""

    def __init__(self, freqs):
        self.used = [s for s, f in enumerate(freqs) if f]
        self.single = len(self.used) < 2
        self.lengths = code_lengths(freqs)
        self.codes = canonical(self.lengths) if not self.single else None
        # The table lists the symbols up to the last one used.
        self.count = max(self.used) + 1 if self.used else 0

    def put(self, bits, symbol):
        if not self.single:
            bits.put(self.codes[symbol], self.lengths[symbol])


def put_length_value(bits, length):
    """A code length of the small tables: three bits, from 7 on continued by ones and a zero."""
    if length < 7:
        bits.put(length, 3)
    else:
        bits.put(7, 3)
        bits.put((1 << (length - 7 + 1)) - 2, length - 7 + 1)


def put_small_table(bits, table, count_bits, skip_after_third):
    if table.single:
        bits.put(0, count_bits)
        bits.put(table.used[0] if table.used else 0, count_bits)
        return
    bits.put(table.count, count_bits)
    i = 0
    while i < table.count:
        put_length_value(bits, table.lengths[i])
        if skip_after_third and i == 2:
            zeros = 0
            while zeros < 3 and i + 1 + zeros < table.count and not table.lengths[i + 1 + zeros]:
                zeros += 1
            bits.put(zeros, 2)
            i += zeros
        i += 1


def code_table_items(lengths):
    """The code lengths as the symbols of the temporary table: a length L as L+2, runs of unused
    codes as 0 (one), 1 (3-18, four bits more) or 2 (20 and more, nine bits more)."""
    items = []
    i = 0
    while i < len(lengths):
        if lengths[i]:
            items.append((lengths[i] + 2, None))
            i += 1
            continue
        run = 0
        while i + run < len(lengths) and not lengths[i + run]:
            run += 1
        i += run
        while run:
            if run <= 2:
                items.append((0, None))
                run -= 1
            elif run <= 18:
                items.append((1, (run - 3, 4)))
                run = 0
            elif run == 19:
                items.append((0, None))
                run -= 1
            else:
                part = min(run, 20 + 511)
                items.append((2, (part - 20, 9)))
                run -= part
    return items


def lh_new_offset(distance, lhark):
    """The distance's code and its extra bits (value, width)."""
    offset = distance - 1
    if lhark:
        if offset < 4:
            return offset, (0, 0)
        low = offset.bit_length() - 2
        return 2 + 2 * low + ((offset >> low) & 1), (offset & ((1 << low) - 1), low)
    if offset < 2:
        return offset, (0, 0)
    width = offset.bit_length() - 1
    return width + 1, (offset - (1 << width), width)


def lhark_length(length):
    """LHark's code for a copy length and its extra bits (value, width)."""
    if length <= 10:
        return 256 + length - 3, (0, 0)
    for code in range(264, 288):
        low = (code - 260) // 4
        base = ((4 + code % 4) << low) + 3
        if base <= length < base + (1 << low):
            return code, (length - base, low)
    raise ValueError("length %d" % length)


def lh_new(data, window, offset_bits, lhark=False):
    """-lh4-/-lh5- format: one block of static Huffman codes."""
    if not data:
        return b""
    tokens = matches(data, window, 256)
    if len(tokens) > 0xFFFF:
        raise ValueError("one block holds 65535 commands")
    num_codes = 289 if lhark else 510
    commands = []  # (code, extra, offset code, offset extra)
    for token in tokens:
        if token[0] == "lit":
            commands.append((token[1], (0, 0), None, None))
            continue
        _, length, distance = token
        code, extra = lhark_length(length) if lhark else (256 + length - 3, (0, 0))
        commands.append((code, extra) + lh_new_offset(distance, lhark))
    code_freqs = [0] * num_codes
    offset_freqs = [0] * ((1 << offset_bits) - 1)
    for code, _, offset_code, _ in commands:
        code_freqs[code] += 1
        if offset_code is not None:
            offset_freqs[offset_code] += 1
    codes = Table(code_freqs)
    offsets = Table(offset_freqs)
    bits = BitWriter()
    bits.put(len(commands), 16)
    if codes.single:
        put_small_table(bits, Table([1]), 5, True)  # a temporary table nothing reads
        bits.put(0, 9)
        bits.put(codes.used[0], 9)
    else:
        items = code_table_items(codes.lengths[:codes.count])
        temp_freqs = [0] * 19
        for symbol, _ in items:
            temp_freqs[symbol] += 1
        temp = Table(temp_freqs)
        put_small_table(bits, temp, 5, True)
        bits.put(codes.count, 9)
        for symbol, extra in items:
            temp.put(bits, symbol)
            if extra:
                bits.put(*extra)
    put_small_table(bits, offsets, offset_bits, False)
    for code, extra, offset_code, offset_extra in commands:
        codes.put(bits, code)
        bits.put(*extra)
        if offset_code is not None:
            offsets.put(bits, offset_code)
            bits.put(*offset_extra)
    return bits.bytes()


def lh4(data):
    return lh_new(data, 4096, 4)


def lhark(data):
    return lh_new(data, 65536, 6, lhark=True)


class AdaptiveHuffman:
    """LHarc's adaptive Huffman tree over 314 codes (256 bytes, copies of 3-60 bytes): every
    code starts with a count of one, and the tree is rebuilt with halved counts when the root's
    count reaches 0x8000."""

    CODES = 314
    NODES = 2 * CODES - 1
    ROOT = NODES - 1
    LIMIT = 0x8000

    def __init__(self):
        n, t = self.CODES, self.NODES
        self.freq = [0] * (t + 1)
        self.son = [0] * t
        self.parent = [0] * (t + n)
        for i in range(n):
            self.freq[i] = 1
            self.son[i] = i + t
            self.parent[i + t] = i
        i, j = 0, n
        while j <= self.ROOT:
            self.freq[j] = self.freq[i] + self.freq[i + 1]
            self.son[j] = i
            self.parent[i] = self.parent[i + 1] = j
            i += 2
            j += 1
        self.freq[t] = 0xFFFF
        self.parent[self.ROOT] = 0

    def rebuild(self):
        n, t = self.CODES, self.NODES
        j = 0
        for i in range(t):
            if self.son[i] >= t:
                self.freq[j] = (self.freq[i] + 1) // 2
                self.son[j] = self.son[i]
                j += 1
        i, j = 0, n
        while j < t:
            f = self.freq[i] + self.freq[i + 1]
            k = j - 1
            while f < self.freq[k]:
                k -= 1
            k += 1
            self.freq[k + 1:j + 1] = self.freq[k:j]
            self.freq[k] = f
            self.son[k + 1:j + 1] = self.son[k:j]
            self.son[k] = i
            i += 2
            j += 1
        for i in range(t):
            k = self.son[i]
            self.parent[k] = i
            if k < t:
                self.parent[k + 1] = i

    def update(self, symbol):
        t = self.NODES
        if self.freq[self.ROOT] == self.LIMIT:
            self.rebuild()
        c = self.parent[symbol + t]
        while True:
            self.freq[c] += 1
            k = self.freq[c]
            if k > self.freq[c + 1]:
                l = c + 1
                while k > self.freq[l + 1]:
                    l += 1
                self.freq[c] = self.freq[l]
                self.freq[l] = k
                i = self.son[c]
                self.parent[i] = l
                if i < t:
                    self.parent[i + 1] = l
                j = self.son[l]
                self.son[l] = i
                self.parent[j] = c
                if j < t:
                    self.parent[j + 1] = c
                self.son[c] = j
                c = l
            c = self.parent[c]
            if c == 0:
                break

    def put(self, bits, symbol):
        path = []
        k = self.parent[symbol + self.NODES]
        while True:
            path.append(k & 1)
            k = self.parent[k]
            if k == self.ROOT:
                break
        for bit in reversed(path):
            bits.put(bit, 1)
        self.update(symbol)


# The upper six bits of an -lh1- distance: how many of them share each code length (3-8 bits).
LH1_UPPER_COUNTS = (1, 3, 8, 12, 24, 16)


def lh1_upper_codes():
    codes = []
    code = 0
    for index, count in enumerate(LH1_UPPER_COUNTS):
        width = 3 + index
        for _ in range(count):
            codes.append((code >> (8 - width), width))
            code += 1 << (8 - width)
    return codes


def lh1(data):
    """-lh1-: a 4 KiB dictionary, copies of 3-60 bytes, the distance's upper six bits in a
    fixed code and its lower six as they are."""
    tree = AdaptiveHuffman()
    upper = lh1_upper_codes()
    bits = BitWriter()
    for token in matches(data, 4096, 60):
        if token[0] == "lit":
            tree.put(bits, token[1])
            continue
        _, length, distance = token
        tree.put(bits, 256 + length - 3)
        offset = distance - 1
        bits.put(*upper[offset >> 6])
        bits.put(offset & 0x3F, 6)
    return bits.bytes()
