#!/usr/bin/env python3
"""The published JSON Schemas (docs/schema) against real output of the built
program: short real runs of the Memory group into a store of the test's own,
an imported sheet beside them, then --history, --compare, --trend, --ranking
--changes and --sync of that store, each document validated against its schema. Each
schema is also shown to refuse what breaks its promises (a field missing, a
value of the wrong type or outside its set) and to take fields added later.
The scratch folder, HOME and XDG folders are the test's own.

  tests/cli/json_schemas.py build/src/app/torvik docs/schema tests/data
"""
import copy
import json
import os
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("SKIP: python3-jsonschema is not installed (scripts/setup.sh --tests installs it)")
    sys.exit(77)

failures = 0
passed = 0


def check(what, ok):
    global failures, passed
    if ok:
        passed += 1
    else:
        failures += 1
        print("FAIL: " + what)


def main(torvik, schema_folder, data_folder):
    validators = {}
    for name in ("run", "history", "compare", "trend", "ranking", "changes", "sync"):
        with open(os.path.join(schema_folder, name + ".schema.json"), encoding="utf-8") as f:
            schema = json.load(f)
        jsonschema.Draft202012Validator.check_schema(schema)
        validators[name] = jsonschema.Draft202012Validator(schema)

    def valid(name, document):
        errors = sorted(validators[name].iter_errors(document), key=lambda e: str(list(e.absolute_path)))
        for error in errors[:5]:
            print("  %s: %s at %s" % (name, error.message, "/".join(map(str, error.absolute_path))))
        return not errors

    with tempfile.TemporaryDirectory() as scratch:
        for folder in ("home", "config", "data", "runtime", "tests"):
            os.mkdir(os.path.join(scratch, folder), 0o700)
        environment = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": os.path.join(scratch, "home"),
            "XDG_CONFIG_HOME": os.path.join(scratch, "config"),
            "XDG_DATA_HOME": os.path.join(scratch, "data"),
            "XDG_RUNTIME_DIR": os.path.join(scratch, "runtime"),
            "LC_ALL": "C.UTF-8",
            "LANGUAGE": "ja",
        }
        tests = os.path.join(scratch, "tests")

        def run(*arguments, status=0):
            done = subprocess.run([torvik, *arguments], env=environment, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=600)
            check("torvik %s: exit status %s (was %d: %s)" % (" ".join(arguments), status, done.returncode,
                                                               done.stderr.decode(errors="replace").strip()),
                  done.returncode in (status if isinstance(status, tuple) else (status,)))
            return json.loads(done.stdout) if "json" in arguments and done.stdout.strip() else None

        def documents(label, document, broken, added):
            """The real document is valid; each way of breaking it is not; a field added is taken."""
            name = label.split(",")[0]
            check("%s: the real output is valid" % label, document is not None and valid(name, document))
            if document is None:
                return
            for what, change in broken:
                spoilt = copy.deepcopy(document)
                change(spoilt)
                check("%s: refuses %s" % (label, what), not validators[name].is_valid(spoilt))
            extended = copy.deepcopy(document)
            added(extended)
            check("%s: takes a field added later" % label, valid(name, extended))

        # Nothing kept yet: nothing waits and nothing failed (reason null).
        away = "postgresql://torvik@/torvik?host=" + os.path.join(scratch, "nowhere")
        nothing = run("--sync", "--format", "json", "--store", away)

        three = run("--run", "memory", "--repeat", "3", "--dir", tests, "--format", "json", "--quiet")
        one = run("--run", "memory", "--dir", tests, "--format", "json", "--quiet")
        run("--run", "memory", "--repeat", "2", "--dir", tests, "--quiet")
        subprocess.run([torvik, "--import", os.path.join(data_folder, "sheets", "all-run-xvfb.txt")],
                       env=environment, stdout=subprocess.DEVNULL, check=True, timeout=600)

        def delete(path):
            def change(document):
                *parents, last = path
                for key in parents:
                    document = document[key]
                del document[last]
            return change

        def put(path, value):
            def change(document):
                *parents, last = path
                for key in parents:
                    document = document[key]
                document[last] = value
            return change

        for name, document in (("three repetitions", three), ("one repetition", one)):
            documents("run, " + name, document, [
                ("a missing machine", delete(["machine"])),
                ("another schema number", put(["schema"], 2)),
                ("a test without its figures' unit", delete(["runs", 0, "tests", 0, "unit"])),
                ("the memory copy in another unit", put(["runs", 0, "tests", 0, "unit"], "MB/s")),
                ("the memory copy with other work", put(["runs", 0, "tests", 0, "work"], 1)),
                ("seconds as text", put(["runs", 0, "tests", 0, "seconds"], "0.04")),
                ("a spread beside a single repetition, or none beside many",
                 put(["summary", 0, "stdev"], None if document["summary"][0]["repetitions"] > 1 else 0.1)),
                ("a machine id that is not 32 hex digits", put(["machine", "machine_id"], "xyz")),
                ("noise without its flags", delete(["runs", 0, "tests", 0, "noise", "shared_processor"])),
            ], lambda d: (d["runs"][0]["tests"][0].update({"threads": 2}), d["machine"].update({"numa": []}),
                          d.update({"later": True})))
        check("run: the memory copy is the test run", three["runs"][0]["tests"][0]["test"] == "memory")

        # A group of points (about 15 s here): every point and the group's facts.
        cores = run("--run", "cores", "--format", "json", "--quiet", "--no-record")
        documents("run, cores", cores, [
            ("a point without its threads", delete(["runs", 0, "points", 0, "threads"])),
            ("a point of no group of points", put(["runs", 0, "points", 0, "group"], "cpu")),
            ("a summary of points of something but rates", put(["summary", 0, "of"], "seconds")),
        ], lambda d: d["runs"][0]["points"][0].update({"watts": 1.0}))
        if cores is not None:
            points = cores["runs"][0]["points"]
            check("run, cores: one thread first, rates above zero",
                  points[0]["threads"] == 1 and all(p["rate"] > 0 for p in points))
            check("run, cores: no bench number", cores["runs"][0]["bench_no"] is None)
            check("run, cores: the facts say how many processors it might use",
                  cores["runs"][0]["facts"]["cores"]["usable_processors"] >= 1)

        history = run("--history", "--format", "json")
        documents("history", history, [
            ("an origin of neither kind", put([0, "origin"], "elsewhere")),
            ("a run without its id", delete([0, "id"])),
            ("a bench number as text", put([0, "bench_no"], "149878")),
            ("noise flags that are no list", put([0, "noise", "clock_moved"], "memory")),
        ], lambda d: d[0].update({"later": 1}))
        origins = sorted({entry["origin"] for entry in history})
        check("history: runs of the program and an imported sheet (%s)" % origins, origins == ["program", "sheet"])

        # A series of three against one of two (Welch's t), and against a single run (not tested).
        by_series = {}
        for entry in history:
            if entry["origin"] == "program":
                by_series.setdefault(entry["series"], []).append(entry["id"])
        series = sorted(by_series.values(), key=len)
        single, pair, triple = series[0], series[1], series[2]
        tested = run("--compare", str(triple[0]), str(pair[0]), "--format", "json")
        untested = run("--compare", str(triple[0]), str(single[0]), "--format", "json")
        for name, document in (("two series", tested), ("a series and a single run", untested)):
            documents("compare, " + name, document, [
                ("a verdict outside the four", put(["tests", 0, "verdict"], "better")),
                ("a side without its runs", delete(["a", "runs"])),
                ("no same_series", delete(["same_series"])),
                ("a faster percentage as text", put(["tests", 0, "faster_percent"], "+1 %")),
            ], lambda d: d["tests"][0].update({"later": None}))
        check("compare: two series are tested", tested["tests"][0]["verdict"] != "not_tested")
        check("compare: a single run is not", untested["tests"][0]["verdict"] == "not_tested")
        documents("compare, tested", tested,
                  [("a tested verdict without Welch's t", put(["tests", 0, "welch_t"], None))], lambda d: None)

        trend = run("--trend", "--format", "json")
        documents("trend", trend, [
            ("a change outside the four", put([0, "tests", 0, "points", 0, "change"], "up")),
            ("a point without its mean", delete([0, "tests", 0, "points", 0, "mean"])),
            ("a machine without its tests", delete([0, "tests"])),
        ], lambda d: d[0]["tests"][0]["points"][0].update({"later": 1}))
        check("trend: the machine's three series", any(machine["series"] == 3 for machine in trend))

        ranking = run("--ranking", "--format", "json")

        def no_baseline(document):
            for machine in document[0]["machines"]:
                machine["baseline"] = False

        documents("ranking", ranking, [
            ("a group without a baseline machine", no_baseline),
            ("a verdict outside the four", put([0, "machines", 0, "tests", 0, "verdict"], "best")),
            ("a machine without its place", delete([0, "machines", 0, "place"])),
        ], lambda d: d[0]["machines"][0].update({"later": 1}))
        check("ranking: the Memory group and the imported ALL run",
              sorted(group["group"] for group in ranking) == ["all", "memory"])

        # Whatever it finds (0, or 3 for a slower change); a change as it
        # would be listed, to break.
        changes = run("--changes", "--since", "2000-01-01", "--format", "json", status=(0, 3))
        sample = {"machine": "desk", "processor": "Test CPU", "group": "memory", "test": "memory",
                  "started_at": "2026-12-09T10:00:00+09:00", "run": 2, "compared_with": 1,
                  "faster_percent": -20.0, "p_value": 0.001, "verdict": "slower"}
        documents("changes", changes, [
            ("comparisons as text", put(["comparisons"], "3")),
            ("no false discovery rate", delete(["false_discovery_rate"])),
            ("a verdict within the noise", lambda d: d["changes"].append({**sample, "verdict": "within_noise"})),
            ("a change without its p-value", lambda d: d["changes"].append(
                {k: v for k, v in sample.items() if k != "p_value"})),
        ], lambda d: d["changes"].append({**sample, "later": 1}))
        judged = sum(point["change"] != "not_tested" for machine in trend for test in machine["tests"]
                     for point in test["points"])
        check("changes: every tested comparison of the trend judged (%s of %d)" %
              ((changes or {}).get("comparisons"), judged), changes is not None and changes["comparisons"] == judged)

        # Every run kept waits for a shared store that is away.
        waiting = run("--sync", "--format", "json", "--store", away, status=1)
        for name, document in (("nothing to send", nothing), ("a store away", waiting)):
            documents("sync, " + name, document, [
                ("a missing set_aside", delete(["set_aside"])),
                ("a count as text", put(["sent"], "0")),
                ("runs failed without a reason", lambda d: d.update({"failed": 1, "reason": None})),
            ], lambda d: d.update({"later": 1}))
        check("sync: nothing kept, nothing waits", nothing == {**nothing, "waiting": 0, "failed": 0, "reason": None})
        check("sync: the six runs and the sheet wait, failed to go (%s)" % waiting,
              waiting["waiting"] == 7 and waiting["failed"] == 7)

    print("json_schemas: %d passed, %d failed" % (passed, failures))
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
