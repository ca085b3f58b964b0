"""The convex hull of random points on the 3-sphere, checked, with its measures."""
import numpy as np

import orvex

rng = np.random.default_rng(2026)
points = rng.normal(size=(500, 4))
points /= np.linalg.norm(points, axis=1, keepdims=True)

hull = orvex.hull(points)
report = hull.check()
print(f"{len(points)} points on the 3-sphere: {report['vertices']} vertices, "
      f"{report['edges']} edges, {report['faces']} faces, {report['cells']} cells "
      f"({report['cell_kinds']})")
lengths = np.linalg.norm(hull.vertices[hull.edges[:, 0]] - hull.vertices[hull.edges[:, 1]], axis=1)
print(f"edge lengths from {lengths.min():.4f} to {lengths.max():.4f}, mean {lengths.mean():.4f}")
