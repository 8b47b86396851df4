"""Small encoders for the LHA methods no tool at hand writes: LHarc's -lh1- (LZSS with adaptive
Huffman codes), -lh2- (adaptive codes for bytes and lengths and for distances) and -lh3- (blocks
of static Huffman codes), LHA's -lh4- (the -lh5- format with a 4 KiB dictionary, one block of
static Huffman codes), LHark's -lh7- (the -lh5- format with its own length and distance codes)
and PMarc's -pm1- and -pm2- (bytes as places in a list of recent ones, copies with fixed codes;
-pm2- with a table of its codes). They find matches greedily and aim at correct streams, not
small ones. The -lh2- and -lh3- streams were checked once against LHA for Java's decoders.
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

    def __init__(self, freqs, limit=16, lengths=None):
        """`lengths`: a fixed table's, instead of lengths from the counts."""
        self.used = [s for s, f in enumerate(freqs) if f]
        self.single = lengths is None and len(self.used) < 2
        self.lengths = lengths or code_lengths(freqs, limit)
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


class Lh2Codes(AdaptiveHuffman):
    """-lh2-'s adaptive code for bytes and copy lengths: 256 bytes, copies of 3-31 bytes, and a
    last code for 32-287 (eight bits more)."""

    CODES = 286
    NODES = 2 * CODES - 1
    ROOT = NODES - 1


class GrowingHuffman:
    """-lh2-'s adaptive code for the upper seven bits of a distance. It starts with code 0
    alone (no bits; its uses raise the root's count), and code n joins once more than 64*n bytes
    have been written, as the sibling of the last (rarest) leaf, counted once. The nodes are kept
    in falling order of their counts, the root first; a counted node first changes places with
    the first node of its count. After 0x8000 codes the counts are halved and the tree is built
    again."""

    def __init__(self, codes=128):
        size = 2 * codes
        self.child = [0] * size  # ~code for a leaf, else the children child (0) and child - 1 (1)
        self.parent = [0] * size
        self.freq = [0] * size
        self.block = [0] * size  # the nodes of one count, led by block_leader[block]
        self.block_leader = [0] * (size + 1)
        self.free_blocks = list(range(size, 0, -1))
        self.leaf = [0] * codes
        self.child[0] = ~0
        self.freq[0] = 1
        self.block[0] = self.new_block(0)
        self.last = 0
        self.total = 0

    def new_block(self, leader):
        block = self.free_blocks.pop()
        self.block_leader[block] = leader
        return block

    def follows_count(self, n):
        """Whether node n has the count of the node before it; nothing joins the root."""
        return n > 1 and self.freq[n] == self.freq[n - 1]

    def link(self, n):
        child = self.child[n]
        if child < 0:
            self.leaf[~child] = n
        else:
            self.parent[child] = self.parent[child - 1] = n

    def raise_node(self, n):
        block = self.block[n]
        leader = self.block_leader[block]
        if leader != n:
            self.child[n], self.child[leader] = self.child[leader], self.child[n]
            self.link(n)
            self.link(leader)
            n = leader
            leaves = True
        else:
            leaves = n < self.last and self.block[n + 1] == block
        self.freq[n] += 1
        if leaves:
            self.block_leader[block] += 1
            self.block[n] = self.block[n - 1] if self.follows_count(n) else self.new_block(n)
        elif self.follows_count(n):
            self.free_blocks.append(block)
            self.block[n] = self.block[n - 1]
        return self.parent[n]

    def rebuild(self):
        end = self.last + 1
        leaves = [((self.freq[i] + 1) // 2, self.child[i])
                  for i in range(end) if self.child[i] < 0]
        j = len(leaves) - 1
        for i, (freq, child) in enumerate(leaves):
            self.freq[i], self.child[i] = freq, child
        i, pair = end - 1, end - 2
        while i >= 0:
            # Leaves until the pair is placed, then those not above the pair's sum.
            while i >= pair or (j >= 0 and self.freq[j] <= self.freq[pair] + self.freq[pair + 1]):
                self.freq[i], self.child[i] = self.freq[j], self.child[j]
                i, j = i - 1, j - 1
            self.freq[i] = self.freq[pair] + self.freq[pair + 1]
            self.child[i] = pair + 1
            i, pair = i - 1, pair - 2
        self.free_blocks = list(range(len(self.block_leader) - 1, 0, -1))
        for n in range(end):
            self.link(n)
            self.block[n] = self.block[n - 1] if self.follows_count(n) else self.new_block(n)
        self.total = self.freq[0]

    def count(self, code):
        if self.total == 0x8000:
            self.rebuild()
        n = self.leaf[code]
        if n == 0:
            self.freq[0] += 1
        while n != 0:
            n = self.raise_node(n)
        self.total += 1

    def grow(self, code):
        old = self.last
        moved, added = old + 1, old + 2
        self.child[moved] = self.child[old]
        self.leaf[~self.child[moved]] = moved
        self.freq[moved] = self.freq[old]
        self.block[moved] = self.block[old]
        if old == 0:
            self.block_leader[self.block[0]] = moved
        self.child[added] = ~code
        self.leaf[code] = added
        self.parent[moved] = self.parent[added] = old
        self.child[old] = added
        self.last = added
        self.block[added] = self.new_block(added)
        self.count(code)

    def put(self, bits, code):
        path = []
        n = self.leaf[code]
        while n != 0:
            path.append(self.child[self.parent[n]] - n)
            n = self.parent[n]
        for bit in reversed(path):
            bits.put(bit, 1)
        self.count(code)


def put_lh2_length(codes, bits, length):
    """A copy length as -lh2- and -lh3- give it: code 253+length, from 285 on in eight bits."""
    code = 253 + length
    codes.put(bits, min(code, 285))
    if code >= 285:
        bits.put(code - 285, 8)


def lh2(data):
    """-lh2-: an 8 KiB dictionary, copies of 3-256 bytes, both codes adaptive."""
    codes = Lh2Codes()
    positions = GrowingHuffman()
    bits = BitWriter()
    written = 0
    next_position = 64
    for token in matches(data, 8192, 256):
        if token[0] == "lit":
            codes.put(bits, token[1])
            written += 1
            continue
        _, length, distance = token
        put_lh2_length(codes, bits, length)
        while next_position < 8192 and written > next_position:
            positions.grow(next_position // 64)
            next_position += 64
        positions.put(bits, (distance - 1) >> 6)
        bits.put((distance - 1) & 0x3F, 6)
        written += length
    return bits.bytes()


# -lh3-'s fixed table of distance codes: how many codes, in order, have each length from 2 bits.
LH3_FIXED_POSITION_COUNTS = (1, 0, 2, 3, 7, 18, 47, 50)


def lh3_fixed_position_lengths():
    lengths = []
    for index, count in enumerate(LH3_FIXED_POSITION_COUNTS):
        lengths += [2 + index] * count
    return lengths


def put_lh3_table(bits, table, size, put_length, single_bits):
    """A code table of -lh3-: `size` lengths, each through put_length; a table of one code as
    three lengths of 1 (which no real table has) and the code in `single_bits` bits."""
    if table.single:
        for _ in range(3):
            put_length(bits, 1)
        bits.put(table.used[0] if table.used else 0, single_bits)
        return
    for symbol in range(size):
        put_length(bits, table.lengths[symbol])


def put_lh3_code_length(bits, length):
    if length:
        bits.put(1, 1)
        bits.put(length - 1, 4)
    else:
        bits.put(0, 1)


def lh3(data):
    """-lh3-: an 8 KiB dictionary, copies of 3-256 bytes, blocks of static Huffman codes; a
    block's distance codes come in a table of their own only where that is shorter than the
    fixed table."""
    tokens = matches(data, 8192, 256)
    bits = BitWriter()
    fixed = lh3_fixed_position_lengths()
    for start in range(0, len(tokens), 0xFFFF):
        block = tokens[start:start + 0xFFFF]
        code_freqs = [0] * 286
        position_freqs = [0] * 128
        for token in block:
            if token[0] == "lit":
                code_freqs[token[1]] += 1
            else:
                code_freqs[min(253 + token[1], 285)] += 1
                position_freqs[(token[2] - 1) >> 6] += 1
        codes = Table(code_freqs)
        own = Table(position_freqs, limit=15)
        own_bits = 4 * (3 if own.single else 128) + (7 if own.single else 0) + sum(
            f * (0 if own.single else own.lengths[s]) for s, f in enumerate(position_freqs))
        fixed_bits = sum(f * fixed[s] for s, f in enumerate(position_freqs))
        bits.put(len(block), 16)
        put_lh3_table(bits, codes, 286, put_lh3_code_length, 9)
        if own_bits < fixed_bits:
            bits.put(1, 1)
            put_lh3_table(bits, own, 128, lambda b, length: b.put(length, 4), 7)
            positions = own
        else:
            bits.put(0, 1)
            positions = Table(position_freqs, lengths=fixed)
        for token in block:
            if token[0] == "lit":
                codes.put(bits, token[1])
                continue
            _, length, distance = token
            put_lh2_length(codes, bits, length)
            positions.put(bits, (distance - 1) >> 6)
            bits.put((distance - 1) & 0x3F, 6)
    return bits.bytes()


class RecentBytes:
    """PMarc's list of byte values, the last one written first: a byte is written as its place
    in the list, and every byte written (copied ones too) moves to the front. It starts with
    0x20-0x7F, then 0x00-0x1F, 0xA0-0xDF, 0x80-0x9F and 0xE0-0xFF."""

    def __init__(self):
        self.order = (list(range(0x20, 0x80)) + list(range(0x00, 0x20)) + list(range(0xA0, 0xE0))
                      + list(range(0x80, 0xA0)) + list(range(0xE0, 0x100)))

    def place(self, byte):
        return self.order.index(byte)

    def written(self, data):
        for byte in data:
            self.order.remove(byte)
            self.order.insert(0, byte)


def ranged(value, ranges):
    """The index of the first of `ranges` (start, width) that holds `value`, and the value's
    offset in it as (offset, width)."""
    for index, (start, width) in enumerate(ranges):
        if start <= value < start + (1 << width):
            return index, (value - start, width)
    raise ValueError(value)


def put_steps(bits, value, steps):
    """`value` in a code of escalating fields. `steps`: (prefix, (base, width, count)) with the
    prefix's (value, width) fields, then `width` bits of value - base, for the first step with
    base <= value < base + count."""
    for prefix, (base, width, count) in steps:
        if base <= value < base + count:
            for field in prefix:
                bits.put(*field)
            bits.put(value - base, width)
            return
    raise ValueError(value)


# -pm1-'s byte values: the class of a place in the recent list (start, bits), and the codes of
# the classes in the first of its trees, ((((a b) c) d) (e f)).
PM1_BYTE_RANGES = ((0, 4), (16, 4), (32, 5), (64, 6), (128, 6), (192, 6))
PM1_CLASS_CODES = ((0b0000, 4), (0b0001, 4), (0b001, 3), (0b01, 2), (0b10, 2), (0b11, 2))
# A run of bytes: 1-3, 4-10, 11-24, 25-88, 89-216.
PM1_RUN_STEPS = (((), (1, 2, 3)), (((3, 2),), (4, 3, 7)), (((3, 2), (7, 3)), (11, 4, 14)),
                 (((3, 2), (7, 3), (14, 4)), (25, 6, 64)),
                 (((3, 2), (7, 3), (15, 4)), (89, 7, 128)))
# A copy's length: 3-5, 6-10, 11-14, 15-22, 23-84, 85-116, 117-244.
PM1_COPY_STEPS = (((), (3, 2, 3)), (((3, 2),), (6, 3, 5)), (((3, 2), (5, 3)), (11, 2, 4)),
                  (((3, 2), (6, 3)), (15, 3, 8)), (((3, 2), (7, 3)), (23, 6, 62)),
                  (((3, 2), (7, 3), (62, 6)), (85, 5, 32)),
                  (((3, 2), (7, 3), (63, 6)), (117, 7, 128)))
PM1_LONGEST_RUN = 216


def pm1_copy(bits, written, length, distance):
    """A copy of 3-244 bytes from up to 2624 bytes back. Its kind goes by the distance; some
    kinds' bits are left out, and the distance's field is narrower, while little is written."""
    back = distance - 1
    if back < 64:
        bits.put(1, 1)
        if written >= 64:
            bits.put(1, 1)
        if written >= 2624:
            bits.put(1, 1)
        put_steps(bits, length, PM1_COPY_STEPS)
        bits.put(back, 6)
    elif back < 576:
        bits.put(0b10, 2)
        put_steps(bits, length, PM1_COPY_STEPS)
        bits.put(back - 64, 8 if written < 320 else 9)
    else:
        bits.put(0b01, 2)
        put_steps(bits, length, PM1_COPY_STEPS)
        width = 8 if written < 832 else 9 if written < 1088 else 10 if written < 1600 else 11
        bits.put(back - 576, width)


def pm1(data):
    """-pm1-: runs of bytes (as places in the recent list), each but the longest followed by a
    copy, and copies on their own."""
    recent = RecentBytes()
    bits = BitWriter()
    bits.put(0, 5)  # the first tree of byte classes
    tokens = matches(data, 2624, 244)
    written = 0
    i = 0
    while i < len(tokens):
        run = []
        while i < len(tokens) and tokens[i][0] == "lit" and len(run) < PM1_LONGEST_RUN:
            run.append(tokens[i][1])
            i += 1
        if run:
            bits.put(1, 1)
            put_steps(bits, len(run), PM1_RUN_STEPS)
            for byte in run:
                index, extra = ranged(recent.place(byte), PM1_BYTE_RANGES)
                bits.put(*PM1_CLASS_CODES[index])
                bits.put(*extra)
                recent.written([byte])
            written += len(run)
            if len(run) == PM1_LONGEST_RUN:
                continue
            if i == len(tokens):
                # The copy after the run is still read: two bytes from one back, past the end.
                bits.put(0, 1 + (written >= 576) + (written >= 64) + 6)
                break
        else:
            bits.put(0, 1)
        _, length, distance = tokens[i]
        pm1_copy(bits, written, length, distance)
        recent.written(data[written:written + length])
        written += length
        i += 1
    return bits.bytes()


# -pm2-'s byte values: the place in the recent list by class (codes 0-7: start, bits); copies
# of 3-16 bytes are codes 9-22, longer ones 23-27 (start, bits).
PM2_BYTE_RANGES = ((0, 3), (8, 3), (16, 4), (32, 5), (64, 5), (96, 5), (128, 6), (192, 6))
PM2_COPY_RANGES = ((17, 3), (25, 3), (33, 5), (65, 6), (129, 7))
PM2_FIRST_COPY_CODE = 8


def pm2_code_table(bits, table):
    """The code table: the number of codes, the shortest length (0: one code, the last), and
    the lengths as offsets from it."""
    if table.single:
        bits.put(table.used[0] + 1, 5)
        bits.put(0, 3)
        return
    shortest = min(length for length in table.lengths if length)
    values = [length - shortest + 1 if length else 0 for length in table.lengths[:table.count]]
    width = max(values).bit_length()
    bits.put(table.count, 5)
    bits.put(shortest, 3)
    bits.put(width, 3)
    for value in values:
        bits.put(value, width)


def pm2(data):
    """-pm2- for up to 1023 bytes (from 1 KiB on the tables come again): bytes by class, copies
    of 3-256 bytes from up to 1024 bytes back, the distance's width in a table of five codes."""
    if len(data) >= 1024:
        raise ValueError("-pm2- here writes up to 1023 bytes")
    recent = RecentBytes()
    commands = []  # (code, fields, distance code or None, distance field)
    written = 0
    for token in matches(data, 1024, 256):
        if token[0] == "lit":
            code, extra = ranged(recent.place(token[1]), PM2_BYTE_RANGES)
            commands.append((code, [extra], None, None))
            recent.written([token[1]])
            written += 1
            continue
        _, length, distance = token
        if length <= 16:
            code, fields = PM2_FIRST_COPY_CODE + length - 2, []
        else:
            index, extra = ranged(length, PM2_COPY_RANGES)
            code, fields = PM2_FIRST_COPY_CODE + 15 + index, [extra]
        back = distance - 1
        width = max(back.bit_length() - 1, 6)
        field = (back, 6) if width == 6 and back < 64 else (back - (1 << width), width)
        commands.append((code, fields, 0 if back < 64 else width - 5, field))
        recent.written(data[written:written + length])
        written += length
    code_freqs = [0] * 29
    offset_freqs = [0] * 5
    for code, _, offset_code, _ in commands:
        code_freqs[code] += 1
        if offset_code is not None:
            offset_freqs[offset_code] += 1
    codes = Table(code_freqs)
    bits = BitWriter()
    bits.put(0, 1)  # a bit the decoder skips
    pm2_code_table(bits, codes)
    offsets = Table(offset_freqs)
    if codes.count >= 10:
        for length in offsets.lengths:
            bits.put(length, 3)
    for code, fields, offset_code, field in commands:
        codes.put(bits, code)
        for extra in fields:
            bits.put(*extra)
        if offset_code is not None:
            offsets.put(bits, offset_code)
            bits.put(*field)
    return bits.bytes()
