#!/usr/bin/env python3
"""What the kernel's processor work is made of, per frame, for both instruction sets.

Runs bench/moravelle-kernel-workload under callgrind (the same count on every
machine), takes each executed instruction's count within the measured blocks and
sorts the instructions by kind from their mnemonics:

  vector    arithmetic, logic, comparisons, shuffles and conversions on xmm/ymm
            registers (a memory operand folded into one counts here and as a load)
  loads     loads into vector registers, folded ones included
  stores    stores from vector registers
  moves     register-to-register copies of vector registers (the two-operand
            baseline build needs many; the processor renames most away)
  scalar    everything else: addresses, loop counters, branches

Vector operations share the core's vector ports, so their count divided by the
number of those ports bounds the cycles a frame takes from below; the table gives
that bound and the speed it would allow.

Usage: tools/instruction-mix.py [--build DIR] [--blocks N] [--ports N] [--ghz F]
                                [--functions]
"""
import argparse
import collections
import os
import re
import subprocess
import sys
import tempfile

FRAMES_PER_BLOCK = 256
SAMPLE_RATE = 44100.0
MOVES = {'movapd', 'movaps', 'movupd', 'movups', 'movdqa', 'movdqu', 'movsd', 'movss', 'movq', 'movd',
         'movhpd', 'movlpd', 'movhps', 'movlps', 'movddup'}
MEMORY = re.compile(r'(?:-?0x[0-9a-f]+)?\([^)]*\)')


def kind_of(mnemonic, operands):
    """The kind of one instruction (AT&T syntax: the destination comes last)."""
    if 'mm' not in operands:
        return 'scalar', False
    m = mnemonic[1:] if mnemonic.startswith('v') else mnemonic  # VEX forms sort as their SSE ones
    parts = [p.strip() for p in re.split(r',(?![^(]*\))', operands)]
    destination_in_memory = bool(MEMORY.fullmatch(parts[-1]))
    reads_memory = any(MEMORY.fullmatch(p) for p in parts[:-1])
    if m in MOVES or m.startswith('broadcast'):
        if destination_in_memory:
            return 'stores', False
        if reads_memory:
            return 'loads', False
        if any(p.startswith('%r') or p.startswith('%e') for p in parts):
            return 'vector', False  # between general and vector registers: a port's work
        if m in ('movhpd', 'movlpd', 'movhps', 'movlps', 'movddup'):
            return 'vector', False
        return 'moves', False
    if destination_in_memory:  # extracts stored straight to memory
        return 'stores', False
    return 'vector', reads_memory


def callgrind_counts(workload, scenario, isa, blocks, folder):
    """Executed count per instruction address and its function, within the measured blocks."""
    out = os.path.join(folder, f'callgrind.{scenario}.{isa}')
    run = subprocess.run(['valgrind', '--tool=callgrind', '--dump-instr=yes', '--dump-line=no', '--compress-pos=no',
                          '--compress-strings=no', '--toggle-collect=*RunMeasuredBlocks*',
                          f'--callgrind-out-file={out}', workload, scenario, isa, str(blocks)],
                         capture_output=True, text=True)
    if run.returncode != 0:
        return None
    counts = collections.Counter()
    function_of = {}
    function = None
    address = 0
    after_call = False
    with open(out) as f:
        for line in f:
            if line.startswith('fn='):
                function = line[3:].strip()
                continue
            if line.startswith('calls='):
                after_call = True  # the next line is the call's inclusive cost
                continue
            if not line.strip() or not (line[0] in '+-*' or line.startswith('0x')):
                continue
            fields = line.split()
            position = fields[0]
            if position.startswith('0x'):
                address = int(position, 16)
            elif position[0] in '+-':
                address += int(position)
            if after_call:
                after_call = False
                continue
            if len(fields) > 1:
                counts[address] += int(fields[-1])
                function_of[address] = function
    return counts, function_of


def disassembly(binary):
    """Mnemonic and operands per address (the workload is linked at fixed addresses)."""
    text = subprocess.run(['objdump', '-d', '--no-show-raw-insn', binary], capture_output=True, text=True,
                          check=True).stdout
    table = {}
    for line in text.splitlines():
        m = re.match(r'\s+([0-9a-f]+):\s+(\S+)\s*(.*)', line)
        if m:
            table[int(m.group(1), 16)] = (m.group(2), m.group(3).split('#')[0].strip())
    return table


def tally(counts, function_of, code, frames):
    totals = collections.Counter()
    by_function = collections.defaultdict(collections.Counter)
    for address, n in counts.items():
        if address not in code:
            kind, folded = 'scalar', False
        else:
            kind, folded = kind_of(*code[address])
        for table in (totals, by_function[function_of.get(address, '?')]):
            table[kind] += n
            table['all'] += n
            if folded:
                table['loads'] += n
    per_frame = lambda c: {k: v / frames for k, v in c.items()}
    return per_frame(totals), {f: per_frame(c) for f, c in by_function.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--build', default='build', help='the build folder (default: build)')
    parser.add_argument('--blocks', type=int, default=200, help='measured blocks of 256 frames (default: 200)')
    parser.add_argument('--ports', type=int, default=3, help='the core\'s vector ports (default: 3)')
    parser.add_argument('--ghz', type=float, default=3.4, help='clock for the speed bound (default: 3.4)')
    parser.add_argument('--functions', action='store_true', help='also break each run down by function')
    args = parser.parse_args()

    workload = os.path.join(args.build, 'bench', 'moravelle-kernel-workload')
    if not os.access(workload, os.X_OK):
        sys.exit(f'instruction-mix: {workload} is missing; build the tree first')
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run([os.path.join(here, 'install-deps.sh'), 'profile'], check=True)
    code = disassembly(workload)
    frames = args.blocks * FRAMES_PER_BLOCK
    print(f'per frame, both channels; bound: vector operations over {args.ports} ports, '
          f'speed at {args.ghz:g} GHz')
    print(f'{"scenario":9} {"build":9} {"all":>7} {"vector":>7} {"loads":>6} {"stores":>6} {"moves":>6} '
          f'{"scalar":>6} {"bound":>7} {"at most":>8}')
    with tempfile.TemporaryDirectory() as folder:
        for scenario in ('settled', 'gliding', 'off'):
            for isa in ('avx2', 'baseline'):
                result = callgrind_counts(workload, scenario, isa, args.blocks, folder)
                if result is None:
                    print(f'{scenario:9} {isa:9} (not run: the workload refused this instruction set)')
                    continue
                totals, by_function = tally(*result, code, frames)
                cycles = totals.get('vector', 0.0) / args.ports
                ceiling = args.ghz * 1e9 / (cycles * SAMPLE_RATE) if cycles else float('inf')
                print(f'{scenario:9} {isa:9} {totals.get("all", 0):7.1f} {totals.get("vector", 0):7.1f} '
                      f'{totals.get("loads", 0):6.1f} {totals.get("stores", 0):6.1f} {totals.get("moves", 0):6.1f} '
                      f'{totals.get("scalar", 0):6.1f} {cycles:5.1f} c {ceiling:7.0f}x')
                if args.functions:
                    for function, c in sorted(by_function.items(), key=lambda item: -item[1]['all']):
                        if c['all'] >= 1.0:
                            print(f'    {c["all"]:7.1f} all {c.get("vector", 0):7.1f} vector  {function[:90]}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
