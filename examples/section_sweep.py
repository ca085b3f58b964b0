"""The 24-cell cut by hyperplanes across one of its vertex directions, as a figure of
pictures side by side, saved as section-sweep.png."""
import numpy as np

import orvex

c24 = orvex.load("c24")
normal = c24.vertices[0]
reach = float(np.max(c24.vertices @ normal))
levels = np.linspace(-reach, reach, 7)[1:-1]
for level in levels:
    cut = c24.section(normal, level)
    print(f"n·x = {level:+.3f}: {len(cut['vertices'])} vertices, {len(cut['edges'])} edges, "
          f"{len(cut['faces'])} faces")
frames = [c24.render(size=160, section=level, section_normal=tuple(normal)) for level in levels]
figure = np.concatenate(frames, axis=1)
orvex.save_png(figure, "section-sweep.png")
print(f"figure of {len(frames)} sections: {figure.shape[1]}x{figure.shape[0]} pixels")
