"""The sound effects, synthesized sample by sample, and the WAV encoder."""

import math
import struct

from demo.numbers import Rng, iround
from demo.story import BELL, CLICK, DOOR, FIREWORK, WAVES


# ---------------------------------------------------------------------------
# WAV files: RIFF/WAVE holding uncompressed PCM, mono. 16-bit samples are
# signed and little-endian; 8-bit samples are unsigned, silence being 128.
# ---------------------------------------------------------------------------

def riff_chunk(kind, body):
    # A chunk of odd length is followed by a pad byte its size leaves out.
    return kind + struct.pack("<I", len(body)) + body + b"\0" * (len(body) % 2)


def pcm_bytes(samples, bits):
    """Samples in -1..1 as 8- or 16-bit PCM bytes."""
    if bits == 16:
        ints = [min(32767, max(-32767, iround(s * 32767))) for s in samples]
        return struct.pack("<%dh" % len(ints), *ints)
    assert bits == 8
    return bytes(min(255, max(1, 128 + iround(s * 127))) for s in samples)


def encode_wav(sound):
    rate, bits = sound["rate"], sound["bits"]
    width = bits // 8
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * width, width, bits)   # 1 = PCM, 1 channel
    body = riff_chunk(b"fmt ", fmt) + riff_chunk(b"data", pcm_bytes(sound["samples"], bits))
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + b"WAVE" + body


# ---------------------------------------------------------------------------
# Synthesizing the sound effects
#
# Plain additive and subtractive synthesis: decaying sine partials, noise
# through one- and two-pole filters, envelopes. Noise comes from the same
# seeded Rng as the pictures, so the sounds are the same on every run.
# ---------------------------------------------------------------------------

VOICE_RATE = 22050          # 16-bit sounds
LOW_RATE = 11025            # the one 8-bit sound: noise hides the coarse steps


def noise(count, rng):
    return [rng.uniform(-1.0, 1.0) for _ in range(count)]


def lowpass(signal, rate, cutoff):
    """One-pole low-pass; cutoff in Hz, a number or a function of the time in s."""
    out, y = [], 0.0
    for n, x in enumerate(signal):
        hz = cutoff(n / float(rate)) if callable(cutoff) else cutoff
        y += (1.0 - math.exp(-2.0 * math.pi * hz / rate)) * (x - y)
        out.append(y)
    return out


def resonator(signal, rate, hz, bandwidth):
    """Two-pole band-pass ringing at hz: a body that something strikes or rubs."""
    r = math.exp(-math.pi * bandwidth / rate)
    a1, a2 = 2.0 * r * math.cos(2.0 * math.pi * hz / rate), -r * r
    out, y1, y2 = [], 0.0, 0.0
    for x in signal:
        y = (1.0 - r) * x + a1 * y1 + a2 * y2
        out.append(y)
        y1, y2 = y, y1
    return out


def normalized(signal, peak=1.0):
    top = max(abs(s) for s in signal) or 1.0
    return [s * peak / top for s in signal]


def smoothstep(t):
    t = min(1.0, max(0.0, t))
    return t * t * (3.0 - 2.0 * t)


def finish(signal, rate, peak, fade_in, fade_out):
    """Scale to the peak and fade both ends to exact silence."""
    out = normalized(signal, peak)
    n_in, n_out = max(1, int(fade_in * rate)), max(1, int(fade_out * rate))
    for k in range(n_in):
        out[k] *= smoothstep(k / float(n_in))
    for k in range(n_out):
        out[-1 - k] *= smoothstep(k / float(n_out))
    return out


def sound(samples, rate, bits=16):
    return {"samples": samples, "rate": rate, "bits": bits}


def click_sound():
    """40 ms: a soft wooden "tok", two inharmonic partials and a breath of noise."""
    rate, rng = VOICE_RATE, Rng(101)
    count = int(0.040 * rate)
    grit = lowpass(noise(count, rng), rate, 3000)
    out = []
    for n in range(count):
        t = n / float(rate)
        tone = 0.7 * math.sin(2 * math.pi * 1250 * t) + 0.3 * math.sin(2 * math.pi * 2900 * t)
        out.append(tone * math.exp(-t / 0.006) + 2.0 * grit[n] * math.exp(-t / 0.0015))
    # Kept quiet: it is heard at every step of the story.
    return sound(finish(out, rate, 0.35, 0.0005, 0.008), rate)


def waves_sound():
    """2 s at 8 bits, 11025 Hz: a wave runs up the sand and draws back hissing."""
    rate, rng = LOW_RATE, Rng(202)
    count = 2 * rate
    raw = noise(count, rng)

    def surge(t):
        # Swells for 0.7 s as the wave breaks, then slowly lets go.
        return smoothstep(t / 0.7) if t < 0.7 else math.exp(-(t - 0.7) / 0.5)

    def cutoff(t):
        return 250.0 + 1500.0 * surge(t)     # brighter while the water rushes

    body = normalized(lowpass(lowpass(raw, rate, cutoff), rate, cutoff))
    hiss = normalized(lowpass([x - y for x, y in zip(raw, lowpass(raw, rate, 2500))], rate, 4500))
    out = []
    for n in range(count):
        t = n / float(rate)
        foam = math.exp(-((t - 1.1) / 0.35) ** 2)    # the foam fizzing as it draws back
        out.append(body[n] * surge(t) + 0.3 * hiss[n] * foam)
    return sound(finish(out, rate, 0.7, 0.01, 0.25), rate, bits=8)


BELL_PARTIALS = [           # (frequency ratio, loudness, decay time in s)
    (1.0, 1.0, 0.42),
    (1.0018, 0.3, 0.38),    # a close twin, so the tone shimmers slowly
    (2.76, 0.45, 0.22),
    (4.18, 0.22, 0.13),
    (5.41, 0.12, 0.08),
]


def bell_sound():
    """1.5 s: a small bell shaken three times, inharmonic partials dying away."""
    rate, rng = VOICE_RATE, Rng(303)
    count, base = int(1.5 * rate), 1480.0
    out = [0.0] * count
    for start, loudness in ((0.0, 1.0), (0.13, 0.5), (0.21, 0.3)):
        first = int(start * rate)
        for ratio, amp, decay in BELL_PARTIALS:
            phase, hz = rng.uniform(0.0, 2 * math.pi), base * ratio
            assert hz < rate / 2
            for n in range(first, count):
                t = (n - first) / float(rate)
                level = loudness * amp * min(1.0, t / 0.0015) * math.exp(-t / decay)
                out[n] += level * math.sin(2 * math.pi * hz * t + phase)
    return sound(finish(out, rate, 0.6, 0.001, 0.1), rate)


def door_sound():
    """0.8 s: a wooden door or drawer that creaks open and bumps to a stop."""
    rate, rng = VOICE_RATE, Rng(404)
    count = int(0.8 * rate)
    # The creak: wood catching and slipping, a pulse train at 38 to 68 pulses
    # a second, rung through two resonances of the board.
    pulses, phase = [0.0] * count, 0.0
    for n in range(int(0.05 * rate), int(0.58 * rate)):
        t = n / float(rate)
        phase += (38.0 + 30.0 * math.sin(math.pi * (t - 0.05) / 0.53)) / rate
        if phase >= 1.0:
            phase -= 1.0 + rng.uniform(0.0, 0.08)      # never quite even
            pulses[n] = smoothstep((t - 0.05) / 0.07) * smoothstep((0.58 - t) / 0.08)
    creak = normalized([a + 0.6 * b for a, b in
                        zip(resonator(pulses, rate, 620, 60), resonator(pulses, rate, 1340, 120))])
    slide = normalized(lowpass(noise(count, rng), rate, 800))
    knock = normalized(lowpass(noise(count, rng), rate, 1500))
    out = []
    for n in range(count):
        t = n / float(rate)
        rub = smoothstep((t - 0.05) / 0.1) * smoothstep((0.62 - t) / 0.1)
        value = 0.55 * creak[n] + 0.25 * slide[n] * rub
        if t >= 0.62:                                  # the bump at the end
            dt = t - 0.62
            value += 0.9 * math.sin(2 * math.pi * 95 * dt) * math.exp(-dt / 0.05)
            value += 0.5 * knock[n] * math.exp(-dt / 0.012)
        out.append(value)
    return sound(finish(out, rate, 0.6, 0.002, 0.03), rate)


def firework_sound():
    """2 s: a far-off firework, a soft boom, its echo from the hills, crackling."""
    rate, rng = VOICE_RATE, Rng(505)
    count = 2 * rate
    # The rumble reaches up to a few hundred hertz, so small speakers that
    # cannot play the thud below still give the boom.
    rumble = normalized(lowpass(lowpass(noise(count, rng), rate, 420), rate, 260))
    boom, phase = [], 0.0
    for n in range(count):
        t = n / float(rate) - 0.04
        if t < 0:
            boom.append(0.0)
            continue
        # Distance takes the crack off the attack and leaves a low thud
        # sliding from 70 Hz down to 42 Hz.
        phase += 2 * math.pi * (42.0 + 28.0 * math.exp(-t / 0.15)) / rate
        env = smoothstep(t / 0.012) * math.exp(-t / 0.32)
        boom.append(env * (0.5 * math.sin(phase) + rumble[n]))
    boom = normalized(boom)
    delay = int(0.42 * rate)
    echo = lowpass([0.0] * delay + boom[:count - delay], rate, 300)
    # Crackle: little pops, rarer and softer as the sparks burn out.
    pops = [0.0] * count
    for n in range(int(0.3 * rate), int(1.8 * rate)):
        t = n / float(rate) - 0.3
        if rng.uniform(0.0, 1.0) < 0.004 * math.exp(-t / 0.6):
            size = rng.uniform(0.3, 1.0) * math.exp(-t / 0.8)
            for k in range(min(60, count - n)):
                pops[n + k] += size * rng.uniform(-1.0, 1.0) * math.exp(-k / 12.0)
    crackle = normalized(lowpass(lowpass(pops, rate, 2800), rate, 2800))
    out = [b + 0.45 * e + 0.35 * c for b, e, c in zip(boom, echo, crackle)]
    return sound(finish(out, rate, 0.7, 0.002, 0.2), rate)


def all_sounds():
    """Every sound effect, by path inside the game folder."""
    return {
        "wave/" + CLICK: click_sound(),
        "wave/" + WAVES: waves_sound(),
        "wave/" + BELL: bell_sound(),
        "wave/" + DOOR: door_sound(),
        "wave/" + FIREWORK: firework_sound(),
    }
