"""Calculating many structure files across a Dask cluster.

Each file is one task that calls kalidos.record on a worker, which must be able to import
kalidos and read the files (a shared folder). The records come back in input order, the
JSON Lines that `kalidos-batch --json` writes for the same files and settings:

    from distributed import Client
    import kalidos.dask
    client = Client("tcp://scheduler-host:8786")    # an existing cluster's scheduler
    kalidos.dask.map_files(client, ["a.cif", "b.cif"], output="all.jsonl", wavelength="CuKa1")

or from a shell: python3 -m kalidos.dask --scheduler tcp://scheduler-host:8786 --json all.jsonl *.cif
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
