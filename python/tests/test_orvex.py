"""The Python module against the tools it shares its libraries with, and against sections
worked out by hand."""
import json
import os
import pathlib
import struct
import subprocess
import sys
import zlib

import numpy as np
import pytest

import orvex

BIN = pathlib.Path(os.environ["ORVEX_BIN_DIR"])
SOURCE = pathlib.Path(os.environ["ORVEX_SOURCE_DIR"])


def run(tool, *args, cwd):
    done = subprocess.run([str(BIN / tool), *map(str, args)], cwd=cwd, capture_output=True,
                          text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    return done.stdout


def decode_png(data):
    """RGB(A) pixels of an 8-bit, non-interlaced PNG, as orvex writes them."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, chunks = 8, {}
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks.setdefault(kind, b"")
        chunks[kind] += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    width, height, depth, colour = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    assert depth == 8
    channels = {2: 3, 6: 4}[colour]
    raw = zlib.decompress(chunks[b"IDAT"])
    stride = width * channels
    out = np.zeros((height, stride), dtype=np.int32)
    prev = np.zeros(stride, dtype=np.int32)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], np.frombuffer(raw, np.uint8, stride, y * (stride + 1) + 1).astype(np.int32)
        row = np.zeros(stride, dtype=np.int32)
        for x in range(stride):
            a = row[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            if kind == 0:
                p = 0
            elif kind == 1:
                p = a
            elif kind == 2:
                p = b
            elif kind == 3:
                p = (a + b) // 2
            else:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                p = a if pa <= pb and pa <= pc else b if pb <= pc else c
            row[x] = (line[x] + p) & 255
        out[y], prev = row, row
    return out.reshape(height, width, channels).astype(np.uint8)


def test_library_and_loaded_models_match_the_table_and_the_check(tmp_path):
    rows = {r["name"]: r for r in orvex.library()}
    assert len(rows) == 147
    c120 = orvex.load("c120")
    row = rows["c120"]
    assert (len(c120.vertices), len(c120.edges), len(c120.polygons), len(c120.cells)) == \
        (row["vertices"], row["edges"], row["faces"], row["cells"])
    assert c120.vertices.shape == (600, 4) and c120.normals.shape == (120, 4)
    # Every edge is a side of some polygon and appears once.
    assert len({tuple(e) for e in c120.edges}) == len(c120.edges)
    assert all(len(cell) == 20 for cell in c120.cells)
    check = c120.check()
    line = run("orvex-gen", "check", "c120", cwd=tmp_path)
    assert f"V {check['vertices']}, E {check['edges']}, F {check['faces']}, C {check['cells']}" in line
    # info() is orvex-gen info --json, and its numbers are the 120-cell's.
    info = c120.info()
    assert info == json.loads(run("orvex-gen", "info", "--json", "c120", cwd=tmp_path))
    assert info["symmetry_order"] == 14400 and info["dual"] == "c600" and info["uniform"]
    with pytest.raises(ValueError, match="Cannot open"):
        orvex.load("no-such-model")


def test_a_hull_is_the_one_orvex_gen_makes_and_writes_the_same_files(tmp_path):
    rng = np.random.default_rng(7)
    points = rng.normal(size=(300, 4)) + [5.0, 0.0, 0.0, 0.0]
    np.savetxt(tmp_path / "points.txt", points, fmt="%.17g")
    run("orvex-gen", "-d", tmp_path / "cli", "hull", "points.txt", "cloud", cwd=tmp_path)
    hull = orvex.hull(points)
    hull.save(str(tmp_path / "py"), "cloud")
    for name in ("cloud.poi", "fcloud.cel", "cloud.nor"):
        assert (tmp_path / "py" / name).read_bytes() == (tmp_path / "cli" / name).read_bytes()
    # Vertices keep the input coordinates, and origin names their rows.
    assert np.array_equal(hull.vertices, points[hull.origin])
    with pytest.raises(ValueError, match="one hyperplane"):
        orvex.hull(np.c_[rng.normal(size=(50, 3)), np.zeros(50)])
    # The other constructions refuse sizes outside orvex-gen's bounds, naming them.
    for build in (lambda: orvex.duoprism(2, 5), lambda: orvex.duoprism(3, 1001)):
        with pytest.raises(ValueError, match=r"^duoprism needs 3 <= p, q <= 1000$"):
            build()


def test_sections_by_any_hyperplane_in_model_coordinates(tmp_path):
    # The tesseract cut through its centre across a long diagonal: a regular octahedron
    # whose six corners are the vertices with two coordinates of each sign, so at distance
    # 1 from the centre in c8's own units, with edges of length sqrt(2).
    s = orvex.load("c8").section([1, 1, 1, 1], 0.0)
    assert s["vertices"].shape == (6, 3) and len(s["edges"]) == 12 and len(s["faces"]) == 8
    assert np.allclose(np.linalg.norm(s["vertices"], axis=1), 1.0)
    lengths = [np.linalg.norm(s["vertices"][a] - s["vertices"][b]) for a, b in s["edges"]]
    assert np.allclose(lengths, np.sqrt(2.0))
    assert sorted(s["face_cells"]) == list(range(8))  # one triangle from each cube
    basis = s["basis"]
    assert np.allclose(basis @ basis.T, np.eye(3)) and np.allclose(basis @ [1, 1, 1, 1], 0)

    # A model kept in its own coordinates, off the origin: cut at its own centre.
    c8 = orvex.load("c8").vertices
    moved = orvex.hull(c8 + [3.0, 0.0, 0.0, 0.0])
    moved.save(str(tmp_path), "moved", keep_coordinates=True)
    loaded = orvex.load(str(tmp_path / "moved.poi"))
    cube = loaded.section([2, 0, 0, 0], 6.0)  # 2x = 6: x = 3, the centre's own x
    assert len(cube["vertices"]) == 8 and len(cube["faces"]) == 6
    assert np.allclose(np.abs(cube["vertices"]), 0.5)
    # A built polytope's measures in its own units: the unit tesseract, wherever it sits.
    assert moved.info()["volume"] == pytest.approx(1.0, rel=1e-12)
    # The command line gives the same cut.
    out = run("orvex-gen", "-d", tmp_path, "section", "moved", "--normal", "2,0,0,0", "--offset", "6",
              "-o", tmp_path / "cube.off", cwd=tmp_path)
    assert "8 vertices, 12 edges, 6 faces" in out
    lines = (tmp_path / "cube.off").read_text().split("\n")
    assert lines[:2] == ["OFF", "8 6 12"]
    assert np.array_equal(np.array([l.split() for l in lines[2:10]], float), cube["vertices"])
    # And orvex-render, in the model's units whatever the loader's scale.
    (tmp_path / "orvex.cfg").write_text(f"DataDir {tmp_path}\n")
    out = run("orvex-render", "moved", "--section-normal", "2,0,0,0", "--section", "6", "--size", 32,
              cwd=tmp_path)
    assert out == "section w=6: 8 vertices, 12 edges, 6 faces\n"
    assert orvex.hull(c8).section([0, 0, 0, 1], 2.0)["vertices"].shape == (0, 3)
    # A normal with an empty field is refused, not read as a zero.
    bad = subprocess.run([str(BIN / "orvex-gen"), "section", "c8", "--normal", "1,,1,1", "--offset", "0"],
                         cwd=tmp_path, capture_output=True, text=True, timeout=60)
    assert (bad.returncode, bad.stderr) == (1, "orvex-gen: --normal takes four reals a,b,c,d, got '1,,1,1'\n")


def test_pictures_are_orvex_render_pixels(tmp_path):
    c120 = orvex.load("c120")
    options = dict(size=96, turn=(0.3, 0.2, 0.1, 0.4, 0.2, 0.1), cells="all", edges=True,
                   colour_by="cell")
    run("orvex-render", "c120", "--size", 96, "--turn", "0.3,0.2,0.1,0.4,0.2,0.1", "--cells", "all",
        "--edges", "--colour-by", "cell", "-o", "c120.png", cwd=tmp_path)
    written = (tmp_path / "c120.png").read_bytes()
    assert c120.png(**options) == written
    picture = c120.render(**options)
    assert picture.shape == (96, 96, 3) and np.array_equal(picture, decode_png(written))
    # A built polytope draws as orvex-render draws it once saved.
    duo = orvex.duoprism(3, 5)
    duo.save(str(tmp_path), "duo")
    cfg = tmp_path / "orvex.cfg"
    cfg.write_text(f"DataDir {tmp_path}\n")
    run("orvex-render", "duo", "-s", "--size", 64, "--background", "transparent", "-o", "duo.png",
        cwd=tmp_path)
    rgba = duo.render(size=64, solid=True, background="transparent")
    assert rgba.shape == (64, 64, 4)
    assert np.array_equal(rgba, decode_png((tmp_path / "duo.png").read_bytes()))
    frames = c120.render(size=32, spin="xw", frames=3)
    assert len(frames) == 3 and not np.array_equal(frames[0], frames[1])
    with pytest.raises(ValueError, match="--size"):
        c120.render(size=0)


def test_the_examples_run(tmp_path):
    for script in sorted((SOURCE / "examples").glob("*.py")):
        done = subprocess.run([sys.executable, str(script)], cwd=tmp_path, capture_output=True,
                              text=True, timeout=300)
        assert done.returncode == 0, f"{script.name}: {done.stderr}"
        assert done.stdout.strip(), f"{script.name} printed nothing"
