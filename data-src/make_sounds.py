#!/usr/bin/env python3
"""Synthesises the six sound cues under data/Sound/.

Every cue is a short 16-bit mono PCM file at 22050 Hz, built from sines and a little
filtered noise with smooth envelopes, so that nothing clicks at the start or the end.
The output is deterministic: running the script again gives the same bytes.

    python3 data-src/make_sounds.py            # writes data/Sound/*.wav
    python3 data-src/make_sounds.py --check    # fails when the committed files are stale
"""
import io
import math
import os
import struct
import sys
import wave

RATE = 22050
HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, os.pardir, "data", "Sound")


def seconds(n):
    return int(round(n * RATE))


def fade(samples, fade_in=0.003, fade_out=0.006):
    """Short raised-cosine ramps at both ends: a cue must never start or stop on a step."""
    n = len(samples)
    a = min(seconds(fade_in), n // 2)
    b = min(seconds(fade_out), n // 2)
    out = list(samples)
    for i in range(a):
        out[i] *= 0.5 - 0.5 * math.cos(math.pi * i / a)
    for i in range(b):
        out[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / b)
    return out


def noise(n, seed):
    """A repeatable white noise (a small linear congruential generator)."""
    state = seed
    out = []
    for _ in range(n):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(state / 0x3FFFFFFF - 1.0)
    return out


def lowpass(samples, cutoff):
    alpha = 1.0 - math.exp(-2.0 * math.pi * cutoff / RATE)
    out, y = [], 0.0
    for x in samples:
        y += alpha * (x - y)
        out.append(y)
    return out


def highpass(samples, cutoff):
    low = lowpass(samples, cutoff)
    return [x - l for x, l in zip(samples, low)]


def mix(*tracks):
    n = max(len(t) for t in tracks)
    out = [0.0] * n
    for t in tracks:
        for i, v in enumerate(t):
            out[i] += v
    return out


def tone(freq, duration, decay, amp=1.0, partials=((1.0, 1.0),), start=0.0):
    """A struck tone: partials (frequency ratio, level) under an exponential decay."""
    n = seconds(duration)
    lead = seconds(start)
    out = [0.0] * (lead + n)
    for i in range(n):
        t = i / RATE
        env = math.exp(-t / decay)
        v = sum(level * math.sin(2 * math.pi * freq * ratio * t) for ratio, level in partials)
        out[lead + i] = amp * env * v
    return out


def normalise(samples, peak):
    top = max(abs(s) for s in samples) or 1.0
    return [s * peak / top for s in samples]


def keyboard():
    """A soft key tick: a burst of band-limited noise with a faint wooden body under it."""
    n = seconds(0.045)
    burst = highpass(lowpass(noise(n, 7), 5200), 900)
    burst = [s * math.exp(-i / seconds(0.006)) for i, s in enumerate(burst)]
    body = tone(1900, 0.045, 0.008, amp=0.35)
    return normalise(fade(mix(burst, body), 0.0005, 0.01), 0.32)


def button1():
    """The shake starts: a rounded low 'pop' that bends downwards."""
    n = seconds(0.16)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = 180 + 340 * math.exp(-t / 0.03)
        phase += 2 * math.pi * f / RATE
        out.append(math.exp(-t / 0.05) * (math.sin(phase) + 0.25 * math.sin(2 * phase)))
    return normalise(fade(out, 0.002, 0.02), 0.55)


def button2():
    """The layout correction: two quick light clicks, the second a fourth higher."""
    partials = ((1.0, 1.0), (2.0, 0.3))
    first = tone(1320, 0.05, 0.012, partials=partials)
    second = tone(1760, 0.06, 0.014, partials=partials, start=0.055)
    return normalise(fade(mix(first, second), 0.001, 0.015), 0.42)


def button3():
    """A phrase is sent: a crisp click with a short tonal tail."""
    n = seconds(0.09)
    click = highpass(noise(n, 11), 1500)
    click = [s * math.exp(-i / seconds(0.003)) for i, s in enumerate(click)]
    body = tone(980, 0.09, 0.02, amp=0.8, partials=((1.0, 1.0), (2.01, 0.35), (3.0, 0.12)))
    return normalise(fade(mix(click, body), 0.0005, 0.02), 0.48)


def cpu_sound():
    """The program speaks: a two-note chime rising a fifth, with bell-like overtones."""
    bell = ((1.0, 1.0), (2.0, 0.32), (3.01, 0.12), (4.2, 0.05))
    first = tone(880.0, 0.2, 0.07, partials=bell)
    second = tone(1318.5, 0.27, 0.09, partials=bell, start=0.13)
    return normalise(fade(mix(first, second), 0.002, 0.05), 0.5)


def close():
    """The window shrinks away: a soft tone gliding down an octave and a half, fading out."""
    n = seconds(0.42)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = 880 * math.pow(2.0, -1.5 * t / 0.42)
        phase += 2 * math.pi * f / RATE
        env = math.sin(math.pi * min(1.0, t / 0.42)) ** 0.6 * math.exp(-t / 0.3)
        out.append(env * (math.sin(phase) + 0.2 * math.sin(3 * phase)))
    return normalise(fade(out, 0.004, 0.04), 0.36)


CUES = {
    "KeyBoard.wav": keyboard,
    "Button1.wav": button1,
    "Button2.wav": button2,
    "Button3.wav": button3,
    "CpuSound.wav": cpu_sound,
    "Close.wav": close,
}


def encode(samples):
    frames = b"".join(
        struct.pack("<h", max(-32767, min(32767, int(round(s * 32767))))) for s in samples)
    buf = io.BytesIO()
    with wave.open(buf, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
    return buf.getvalue()


def main(argv):
    check = "--check" in argv
    os.makedirs(OUT_DIR, exist_ok=True)
    stale = []
    for name, make in CUES.items():
        samples = make()
        data = encode(samples)
        length = len(samples) / RATE
        assert length < 0.5, f"{name} lasts {length:.3f} s"
        path = os.path.join(OUT_DIR, name)
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    stale.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
            print(f"{name}: {length * 1000:.0f} ms, {len(data)} bytes")
    if stale:
        print("stale: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
