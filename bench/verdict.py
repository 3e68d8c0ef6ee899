"""Compares the measured figures with their targets, one verdict line each."""
import sys

SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0, "KiB": 1024, "MiB": 1024**2, "x": 1.0}

measured = {}
for line in open(sys.argv[2]):
    parts = line.split()
    if len(parts) == 4 and parts[0] == "metric":
        measured[parts[1]] = float(parts[2]) * SCALE[parts[3]]

failed = 0
for line in open(sys.argv[1]):
    if not line.strip() or line.startswith("#"):
        continue
    # A bound is an upper limit, or "LOW-HIGH" for a range.
    name, bound, unit = line.split()
    low, _, high = bound.rpartition("-")
    target = f"{low} to {high}" if low else f"<= {high}"
    if name not in measured:
        print(f"verdict {name} MISSING (target {target} {unit})")
        failed += 1
        continue
    value = measured[name] / SCALE[unit]
    ok = value <= float(high) and (not low or value >= float(low))
    failed += not ok
    print(f"verdict {name} {'PASS' if ok else 'FAIL'} {value:.3f} {unit} (target {target} {unit})")
sys.exit(1 if failed else 0)
