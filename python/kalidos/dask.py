"""Calculating many structure files, and refining series of diagrams, across a Dask cluster.

Each file is one task that calls kalidos.record on a worker, which must be able to import
kalidos and read the files (a shared folder). The records come back in input order, the
JSON Lines that `kalidos-batch --json` writes for the same files and settings:

    from distributed import Client
    import kalidos.dask
    client = Client("tcp://scheduler-host:8786")    # an existing cluster's scheduler
    kalidos.dask.map_files(client, ["a.cif", "b.cif"], output="all.jsonl", wavelength="CuKa1")

or from a shell: python3 -m kalidos.dask --scheduler tcp://scheduler-host:8786 --json all.jsonl *.cif

refine_series spreads a series of refinements over the workers in the same way (see its help).
"""

import argparse
import json
import sys


def _record_task(path, settings):
    import kalidos
    return kalidos.record(path, **settings)


def map_files(client, files, output=None, **settings):
    """Calculates each file on the cluster behind `client` (a distributed.Client).

    settings: the keywords of kalidos.calculate plus format and block. Returns the JSON
    Lines records in the order of `files`; with `output` (a path or a text file) they are
    also written there, one per line. A file that fails has its own record ("ok": false).
    """
    import kalidos
    kalidos.batch_arguments(**{k: v for k, v in settings.items() if k not in ("format", "block", "data")})
    files = [str(f) for f in files]
    futures = client.map(_record_task, files, settings=settings, pure=False)
    lines = client.gather(futures)
    if output is not None:
        if hasattr(output, "write"):
            output.writelines(line + "\n" for line in lines)
        else:
            with open(output, "w", encoding="utf-8") as out:
                out.writelines(line + "\n" for line in lines)
    return lines


def _chain_task(paths, arguments, items, kept, data, threads):
    import kalidos
    structures = [kalidos.read_structure(path, data=data) for path in paths]
    return kalidos._kalidos._refine_series_chain(structures, arguments, items, kept, str(data or ""), threads)


def refine_series(client, structures, diagrams, refine, mode="sequential", block=None, output=None, csv=None,
                  curves=True, overwrite=False, retries=3, threads=1, per_task=None, data=None, **settings):
    """Refines a series on the cluster behind `client` as kalidos.refine_series does on one machine,
    with the same records. Each block of block=N diagrams of a sequential series is one task
    (a sequential series without blocks is a single task); with mode="independent" a task refines
    `per_task` diagrams (by default about an eighth of a worker's share, so that the scheduler's
    round trips cost little beside the refinements). Every worker reads the structure files `structures` (paths)
    and the diagrams (a shared folder). The records are written to `output` and `csv` as each task
    comes back, so that a task lost with its worker is run again by Dask (the scheduler reschedules
    it; an exception is retried `retries` times) while the records written stay, and a run stopped
    half way continues from the file, as kalidos-batch --series does.
    threads: the calculation's threads in each task (1: the workers' threads are the cluster's
    parallelism; 0: as many as the worker's cores). The records do not depend on it.
    Returns a kalidos.Series in series order.
    """
    import json
    import kalidos
    from distributed import as_completed
    given = structures if isinstance(structures, (list, tuple)) else [structures]
    if any(isinstance(s, kalidos.Structure) for s in given):
        raise TypeError("structures: the workers read the structure files; give their paths")
    paths = [str(p) for p in given]
    local = [kalidos.read_structure(path, data=data) for path in paths]
    arguments = kalidos.series_arguments(diagrams, refine, mode, block, output, csv, curves, 1, overwrite,
                                         structures=len(paths), **settings)
    plan = kalidos._kalidos._plan_series(local, arguments, str(data or ""))
    # Once the plan has read (or started) the files, a rerun of the tasks continues them.
    arguments = [a for a in arguments if a != "--overwrite"]
    items = plan["items"]
    lines = [None] * len(items)
    tasks = []  # each a chain, or with mode="independent" several diagrams
    for chain in plan["chains"]:
        for i, kept in zip(chain["items"], chain["kept"]):
            lines[i] = kept
        pending = [(i, kept) for i, kept in zip(chain["items"], chain["kept"]) if kept is None]
        if pending and mode == "independent":
            tasks.append(pending)
        elif pending:
            tasks.append(list(zip(chain["items"], chain["kept"])))
    if mode == "independent" and tasks:
        size = per_task or max(1, -(-len(tasks) // (8 * max(1, len(client.scheduler_info()["workers"])))))
        tasks = [sum(tasks[k:k + size], []) for k in range(0, len(tasks), size)]
    futures = {}
    for task in tasks:
        task_items = [dict(items[i], index=i + 1) for i, _ in task]
        future = client.submit(_chain_task, paths, arguments, task_items, [kept for _, kept in task], data, threads,
                               pure=False, retries=retries)
        futures[future] = task
    out = open(output, "a", encoding="utf-8") if output is not None else None
    table = open(csv, "a", encoding="utf-8") if csv is not None else None
    try:
        for future in as_completed(futures):
            done = iter(future.result())
            for i, kept in futures[future]:
                if kept is not None:
                    continue
                lines[i] = next(done)
                if out is not None:
                    out.write(lines[i] + "\n")
                    out.flush()
                if table is not None:
                    table.write(kalidos._kalidos._series_csv_row(lines[i], plan["value_names"]))
                    table.flush()
    finally:
        for f in (out, table):
            if f is not None:
                f.close()
    return kalidos.Series([json.loads(line) for line in lines], plan["messages"])


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m kalidos.dask",
                                     description="Calculate structure files on a Dask cluster.")
    parser.add_argument("files", nargs="*")
    parser.add_argument("--list", help="a file naming one structure file per line")
    parser.add_argument("--scheduler", help="the scheduler's address (default: a local cluster)")
    parser.add_argument("--json", default="-", help="the JSON Lines file (default: standard output)")
    parser.add_argument("--anode", default=None)
    parser.add_argument("--lambda", dest="wavelength", type=float, default=None)
    parser.add_argument("--range", nargs=2, type=float, default=(10, 50))
    args = parser.parse_args(argv)
    files = list(args.files)
    if args.list:
        with open(args.list, encoding="utf-8") as listed:
            files += [line.strip() for line in listed if line.strip()]
    settings = {"two_theta": tuple(args.range)}
    if args.anode or args.wavelength is not None:
        settings["wavelength"] = args.anode or args.wavelength
    from distributed import Client
    with Client(args.scheduler) if args.scheduler else Client(processes=True) as client:
        output = sys.stdout if args.json == "-" else args.json
        lines = map_files(client, files, output=output, **settings)
    return 0 if all(json.loads(line)["ok"] for line in lines) else 1


if __name__ == "__main__":
    sys.exit(main())
