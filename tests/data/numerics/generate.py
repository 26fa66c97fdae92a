#!/usr/bin/python3
"""Writes the badly scaled data sets of tests/data/numerics and their least-squares optima.

Each case is a data file `<case>.txt` (one "x y" pair per line, as Load Data reads it) and one
line of `optima.txt`:

    <case> <model> <n> <sse> <coefficient> ...

The optimum is computed independently of the program, with mpmath at 80 significant digits, on
the data exactly as the program reads them: every text is first rounded to the nearest 80-bit
extended real (64-bit significand), which is what the program's text conversion gives.

- linear, quadratic, logarithmic, inverse: the linear least-squares solution on Y (QR at 80
  digits);
- hyperbola: the least-squares line of 1/y on 1/x, a = 1/k, b = m·a (the model's own definition:
  its coefficients come from the reciprocal line, not from least squares on Y);
- compound, exponential, power, geometric, geometric2: least squares on Y itself, found by a
  damped Gauss-Newton iteration at 80 digits from the straight line through the logarithms and
  polished by Newton's method on the gradient; the gradient at the result is checked to vanish
  and the Hessian to be positive definite.

Run with Debian's python3 (python3-mpmath): /usr/bin/python3 tests/data/numerics/generate.py
The outputs are committed; the tests read them and need no Python.
"""
import os
import random

import mpmath as mp

mp.mp.dps = 80
HERE = os.path.dirname(os.path.abspath(__file__))


def extended(text):
    """The 80-bit extended real nearest to the decimal text, as an exact mpf."""
    with mp.workprec(64):
        value = mp.mpf(text)
    return +value


def fmt(value, digits=8):
    return mp.nstr(mp.mpf(value), digits, min_fixed=-4, max_fixed=16) if digits else str(value)


# ----- models -----

def f_value(model, a, b, x):
    if model == "compound":
        return a * b ** x
    if model == "exponential":
        return a * mp.exp(b * x)
    if model == "power":
        return a * x ** b
    if model == "geometric":
        return a * x ** (b * x)
    if model == "geometric2":
        return a * x ** (b / x)
    raise ValueError(model)


def f_gradient(model, a, b, x):
    """(df/da, df/db)."""
    if model == "compound":
        return b ** x, a * x * b ** (x - 1)
    if model == "exponential":
        e = mp.exp(b * x)
        return e, a * x * e
    if model == "power":
        p = x ** b
        return p, a * mp.log(x) * p
    if model == "geometric":
        p = x ** (b * x)
        return p, a * x * mp.log(x) * p
    if model == "geometric2":
        p = x ** (b / x)
        return p, a * mp.log(x) / x * p
    raise ValueError(model)


def kernel_b_derivatives(model, b, x):
    """f = a·g(b, x): the first and second derivatives of g by b."""
    if model == "compound":
        return x * b ** (x - 1), x * (x - 1) * b ** (x - 2)
    if model == "exponential":
        t = x
    else:
        t = {"power": 1, "geometric": x, "geometric2": 1 / x}[model] * mp.log(x)
    g = mp.exp(b * t)
    return t * g, t * t * g


def linear_design(model, x):
    if model == "linear":
        return [1, x]
    if model == "quadratic":
        return [1, x, x * x]
    if model == "logarithmic":
        return [1, mp.log(x)]
    if model in ("inverse", "hyperbola"):
        return [1, 1 / x]
    raise ValueError(model)


def least_squares(rows, rhs):
    a = mp.matrix(rows)
    b = mp.matrix(rhs)
    q, r = mp.qr(a)
    qtb = q.T * b
    p = a.cols
    solution = [mp.mpf(0)] * p
    for i in reversed(range(p)):
        solution[i] = (qtb[i] - mp.fsum(r[i, j] * solution[j] for j in range(i + 1, p))) / r[i, i]
    return solution


def linear_optimum(model, xs, ys):
    rows = [linear_design(model, x) for x in xs]
    if model == "hyperbola":
        line = least_squares(rows, [1 / y for y in ys])
        a = 1 / line[0]
        coefficients = [a, line[1] * a]
        sse = mp.fsum((y - a * x / (coefficients[1] + x)) ** 2 for x, y in zip(xs, ys))
        return coefficients, sse
    coefficients = least_squares(rows, ys)
    sse = mp.fsum((y - mp.fsum(c * t for c, t in zip(coefficients, row))) ** 2
                  for row, y in zip(rows, ys))
    return coefficients, sse


def sse_of(model, a, b, xs, ys):
    return mp.fsum((y - f_value(model, a, b, x)) ** 2 for x, y in zip(xs, ys))


def start_line(model, xs, ys):
    """The straight line through the logarithms, as the program starts."""
    if model == "exponential":
        ts, ls = xs, [mp.log(y) for y in ys]
    else:
        ls = [mp.log10(y) for y in ys]
        ts = {"compound": xs, "power": [mp.log10(x) for x in xs],
              "geometric": [x * mp.log10(x) for x in xs],
              "geometric2": [mp.log10(x) / x for x in xs]}[model]
    k, m = least_squares([[1, t] for t in ts], ls)
    if model == "exponential":
        return mp.exp(k), m
    if model == "compound":
        return mp.power(10, k), mp.power(10, m)
    return mp.power(10, k), m


def refined_optimum(model, xs, ys):
    a, b = start_line(model, xs, ys)
    s = sse_of(model, a, b, xs, ys)
    lam = mp.mpf("1e-3")
    for _ in range(100000):
        jtj = mp.zeros(2, 2)
        jtr = mp.zeros(2, 1)
        for x, y in zip(xs, ys):
            da, db = f_gradient(model, a, b, x)
            r = y - f_value(model, a, b, x)
            jtj[0, 0] += da * da
            jtj[0, 1] += da * db
            jtj[1, 1] += db * db
            jtr[0] += da * r
            jtr[1] += db * r
        jtj[1, 0] = jtj[0, 1]
        damped = jtj.copy()
        damped[0, 0] *= 1 + lam
        damped[1, 1] *= 1 + lam
        det = damped[0, 0] * damped[1, 1] - damped[0, 1] * damped[1, 0]
        step = [(damped[1, 1] * jtr[0] - damped[0, 1] * jtr[1]) / det,
                (damped[0, 0] * jtr[1] - damped[1, 0] * jtr[0]) / det]
        ta, tb = a + step[0], b + step[1]
        try:
            ts = sse_of(model, ta, tb, xs, ys)
        except (ValueError, ZeroDivisionError, OverflowError):
            ts = mp.inf
        if ts < s:
            done = abs(step[0]) <= abs(a) * mp.mpf(10) ** -70 and \
                abs(step[1]) <= abs(b) * mp.mpf(10) ** -70
            a, b, s = ta, tb, ts
            lam = max(lam / 10, mp.mpf(10) ** -60)
            if done:
                break
        else:
            lam *= 10
            if lam > mp.mpf(10) ** 30:
                break
    check_stationary(model, a, b, xs, ys)
    return [a, b], s


def check_stationary(model, a, b, xs, ys):
    """The gradient of the residual sum vanishes (relative to its parts) and the Hessian is
    positive definite: a minimum, not a saddle or a plateau."""
    g = [mp.mpf(0), mp.mpf(0)]
    scale = [mp.mpf(0), mp.mpf(0)]
    for x, y in zip(xs, ys):
        da, db = f_gradient(model, a, b, x)
        r = y - f_value(model, a, b, x)
        g[0] += da * r
        g[1] += db * r
        scale[0] += abs(da * r) + abs(da * y)
        scale[1] += abs(db * r) + abs(db * y)
    for gi, si in zip(g, scale):
        assert abs(gi) <= si * mp.mpf(10) ** -40, (model, gi, si)

    h = mp.zeros(2, 2)
    for x, y in zip(xs, ys):
        da, db = f_gradient(model, a, b, x)
        gb, gbb = kernel_b_derivatives(model, b, x)
        r = y - f_value(model, a, b, x)
        h[0, 0] += 2 * da * da
        h[0, 1] += 2 * (da * db - r * gb)
        h[1, 1] += 2 * (db * db - r * a * gbb)
    h[1, 0] = h[0, 1]
    assert h[0, 0] > 0 and h[0, 0] * h[1, 1] - h[0, 1] * h[1, 0] > 0, (model, a, b)


# ----- data sets -----

def texts(pairs, xdigits, ydigits):
    return [(mp.nstr(x, xdigits, strip_zeros=True, min_fixed=-30, max_fixed=30)
             if not isinstance(x, str) else x,
             mp.nstr(y, ydigits, strip_zeros=True, min_fixed=-6, max_fixed=12)
             if not isinstance(y, str) else y)
            for x, y in pairs]


def cases():
    rng = random.Random(20261208)

    def noise(sd):
        return mp.mpf(rng.gauss(0, sd))

    out = []
    # X = 10^9 plus steps of 1 (calendar-like seconds, sample numbers): y = 5 + 0.001·(x - 10^9).
    out.append(("linear-offset-1e9", "linear",
                texts([(10 ** 9 + i, 5 + mp.mpf(i) / 1000 + noise(0.01)) for i in range(30)],
                      20, 8)))
    # X = 10^6 plus steps of 0.001.
    out.append(("linear-offset-1e6", "linear",
                texts([(10 ** 6 + mp.mpf(i) / 1000, 2 - 3 * i + noise(0.5)) for i in range(25)],
                      20, 8)))
    # Quadratic around X = 10^6.
    out.append(("quadratic-offset-1e6", "quadratic",
                texts([(10 ** 6 + i, 1 + mp.mpf(i) / 2 - mp.mpf(i * i) / 50 + noise(0.3))
                       for i in range(30)], 20, 8)))
    # Quadratic with X steps of 10^-8.
    out.append(("quadratic-steps-1e-8", "quadratic",
                texts([("1.%08d" % i if i else "1", 1 + mp.mpf(i) / 2 - mp.mpf(i * i) / 100 +
                        noise(0.2)) for i in range(30)], 20, 8)))
    # Logarithmic at X around 10^9 and 10^6.
    out.append(("logarithmic-offset-1e9", "logarithmic",
                texts([(10 ** 9 + 1000 * i, 3 + 10 ** 5 * mp.log(1 + mp.mpf(i) / 10 ** 6) +
                        noise(1e-6)) for i in range(30)], 20, 8)))
    out.append(("logarithmic-offset-1e6", "logarithmic",
                texts([(10 ** 6 + 10 * i, 7 + 10 ** 4 * mp.log(1 + mp.mpf(i) / 10 ** 5) +
                        noise(1e-6)) for i in range(30)], 20, 8)))
    # Inverse at X around 10^9.
    out.append(("inverse-offset-1e9", "inverse",
                texts([(10 ** 9 + 1000 * i, 7 + mp.mpf(3) * 10 ** 14 / (10 ** 9 + 1000 * i) +
                        noise(1e-7)) for i in range(30)], 20, 14)))
    # The hyperbola's reciprocal line at X around 10^6.
    out.append(("hyperbola-offset-1e6", "hyperbola",
                texts([(10 ** 6 + 100 * i, 50 * (10 ** 6 + 100 * i) / (2 * 10 ** 6 + 100 * i +
                        noise(30))) for i in range(30)], 20, 12)))
    # Growth over calendar years, doubling every two years.
    growth = texts([(1971 + i, 2300 * mp.power(2, mp.mpf(i) / 2) * (1 + noise(0.1)))
                    for i in range(41)], 10, 8)
    out.append(("exponential-calendar", "exponential", growth))
    out.append(("compound-calendar", "compound", growth))
    # Exponential with X offset by a few hundred.
    for offset in (200, 400, 700):
        out.append(("exponential-offset-%d" % offset, "exponential",
                    texts([(offset + mp.mpf(i) / 4, 5 * mp.exp(mp.mpf(i) / 4 * 3 / 10) *
                            (1 + noise(0.05))) for i in range(41)], 12, 8)))
    # A decaying exponential whose a is about 3·10^-347 (inside the extended range only).
    out.append(("exponential-tiny-a", "exponential",
                texts([(-800 + mp.mpf(i) / 4, mp.mpf("3e-347") * mp.exp(800 - mp.mpf(i) / 4) *
                        (1 + noise(0.03))) for i in range(41)], 12, 8)))
    # Compound on X steps of 10^-8.
    out.append(("compound-steps-1e-8", "compound",
                texts([("1.%08d" % i if i else "1", 3 * mp.exp(2000 * i * mp.mpf(10) ** -8) *
                        (1 + noise(2e-6))) for i in range(40)], 12, 12)))
    # Y spanning about 10^20.
    out.append(("exponential-wide-y", "exponential",
                texts([(i, 2 * mp.exp(mp.mpf(115) / 100 * i) * (1 + noise(0.2)))
                       for i in range(41)], 6, 8)))
    # A few steeply rising points.
    steep = [("1", "18.6"), ("2", "92.5"), ("3", "611"), ("4", "5120"), ("5", "47248")]
    out.append(("exponential-steep", "exponential", steep))
    out.append(("power-steep", "power", steep[1:]))
    # Scattered steep growth on which a full step overshoots onto the plateau where the model
    # is about 0 at every point.
    out.append(("exponential-plateau", "exponential",
                [("11", "8.312"), ("15", "150"), ("19", "6897"), ("22", "2.176e+04"),
                 ("26", "5.358e+05"), ("28", "3.107e+05")]))
    return out


def main():
    lines = ["# case model n sse coefficients... (least-squares optima at 80 digits, "
             "written with 25; see generate.py)"]
    for name, model, rows in cases():
        with open(os.path.join(HERE, name + ".txt"), "w") as f:
            for x, y in rows:
                f.write("%s %s\n" % (x, y))
        xs = [extended(x) for x, _ in rows]
        ys = [extended(y) for _, y in rows]
        if model in ("linear", "quadratic", "logarithmic", "inverse", "hyperbola"):
            coefficients, sse = linear_optimum(model, xs, ys)
        else:
            coefficients, sse = refined_optimum(model, xs, ys)
        lines.append(" ".join([name, model, str(len(rows)), mp.nstr(sse, 25)] +
                              [mp.nstr(c, 25) for c in coefficients]))
        print(lines[-1])
    with open(os.path.join(HERE, "optima.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
