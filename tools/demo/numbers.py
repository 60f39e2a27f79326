"""Rounding and random numbers that come out the same on every run, so the
pictures and sounds never change from one run of make_demo.py to the next."""

import math


def iround(value):
    """Round half up; Python's round() goes to even, which is harder to reason about."""
    return int(math.floor(value + 0.5))


class Rng:
    """A tiny linear congruential generator, seeded, so the pictures and sounds never change."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state

    def uniform(self, low, high):
        return low + (high - low) * (self.next() >> 8) / float(1 << 24)

    def below(self, n):
        return (self.next() >> 8) % n
