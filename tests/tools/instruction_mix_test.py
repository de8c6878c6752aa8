#!/usr/bin/env python3
"""tools/instruction-mix.py's sorting of instructions, on lines as objdump prints them."""
import importlib.util
import os
import sys
import unittest

here = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location('instruction_mix', os.path.join(here, '..', '..', 'tools', 'instruction-mix.py'))
mix = importlib.util.module_from_spec(spec)
spec.loader.exec_module(mix)


class KindOf(unittest.TestCase):
    def check(self, cases):
        for mnemonic, operands, expected in cases:
            with self.subTest(instruction=f'{mnemonic} {operands}'):
                self.assertEqual(mix.kind_of(mnemonic, operands), expected)

    def test_arithmetic_with_and_without_a_folded_load(self):
        self.check([
            ('mulpd', '%xmm10,%xmm0', ('vector', False)),
            ('vfmadd132pd', '%ymm3,%ymm2,%ymm1', ('vector', False)),
            ('addpd', '0x47240(%rip),%xmm12', ('vector', True)),
            ('vmulpd', '-0x1210(%rbp),%ymm0,%ymm11', ('vector', True)),
            ('vfmadd213pd', '(%rax,%rdx,1),%ymm1,%ymm0', ('vector', True)),
            ('cvttpd2dq', '%xmm4,%xmm3', ('vector', False)),
            ('vinsertf128', '$0x1,%xmm4,%ymm3,%ymm3', ('vector', False)),
            ('vmovmskpd', '%ymm0,%eax', ('vector', False)),
        ])

    def test_loads_stores_and_moves(self):
        self.check([
            ('movapd', '0x2d0(%rsp),%xmm2', ('loads', False)),
            ('movupd', '(%r10,%r15,8),%xmm7', ('loads', False)),
            ('vbroadcastsd', '0x10(%rip),%ymm1', ('loads', False)),
            ('movsd', '%xmm0,0x2e0(%rsp)', ('stores', False)),
            ('vmovupd', '%ymm0,(%rdx,%rax,8)', ('stores', False)),
            ('vextractf128', '$0x1,%ymm0,0x10(%rdi)', ('stores', False)),
            ('movapd', '%xmm11,%xmm3', ('moves', False)),
            ('vmovapd', '%ymm1,%ymm0', ('moves', False)),
            ('movq', '%xmm0,%rax', ('vector', False)),
        ])

    def test_general_register_work_is_scalar(self):
        self.check([
            ('mov', '0x8(%rdx),%r11', ('scalar', False)),
            ('add', '$0x18,%rdx', ('scalar', False)),
            ('jne', '31624 <f+0x10>', ('scalar', False)),
        ])


if __name__ == '__main__':
    sys.exit(unittest.main())
