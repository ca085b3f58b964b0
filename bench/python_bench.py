#!/usr/bin/env python3
"""The Python module's figures against the tools it shares its libraries with:
  PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py build/release/bin
Prints the time of `import orvex; orvex.load("c120")`, an 800² picture through the module
against orvex-render drawing the same one (each the best of five), and a 10,000-point hull
against orvex-gen hull."""
import os
import subprocess
import sys
import tempfile
import time

start = time.perf_counter()
import orvex  # noqa: E402

c120 = orvex.load("c120")
print(f"import orvex; load('c120'): {time.perf_counter() - start:.3f} s")

import numpy as np  # noqa: E402

bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/release/bin")


def best(runs, work):
    times = []
    for _ in range(runs):
        t = time.perf_counter()
        work()
        times.append(time.perf_counter() - t)
    return min(times)


with tempfile.TemporaryDirectory() as scratch:
    module = best(5, lambda: c120.render(size=800))
    tool = best(5, lambda: subprocess.run([f"{bin_dir}/orvex-render", "c120", "--size", "800", "-o",
                                           os.path.join(scratch, "c120.png")], check=True, cwd=scratch))
    print(f"800² picture of c120: module {module:.3f} s, orvex-render (whole run, with PNG) {tool:.3f} s,"
          f" ratio {module / tool:.2f}")

    points = np.random.default_rng(3).normal(size=(10000, 4))
    points /= np.linalg.norm(points, axis=1, keepdims=True)
    np.savetxt(os.path.join(scratch, "points.txt"), points, fmt="%.17g")
    module = best(3, lambda: orvex.hull(points).check())
    tool = best(3, lambda: subprocess.run([f"{bin_dir}/orvex-gen", "-d", scratch, "hull", "points.txt", "h"],
                                          check=True, cwd=scratch, stdout=subprocess.DEVNULL))
    print(f"hull of 10,000 points on the 3-sphere, checked: module {module:.3f} s, "
          f"orvex-gen hull (with writing) {tool:.3f} s")
