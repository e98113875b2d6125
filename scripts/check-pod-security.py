#!/usr/bin/env python3
"""Checks the pod templates of Agones manifests against the "restricted" Pod Security standard, and the
house rules for a game server pod, without a cluster.

Restricted (as the admission controller enforces it): no host namespaces, ports or paths, nothing
privileged, only the volume kinds it allows, allowPrivilegeEscalation false, runAsNonRoot true and no user
id 0, a seccomp profile RuntimeDefault or Localhost, every capability dropped (ALL) and none added but
NET_BIND_SERVICE, for every container (init containers included), pod-wide settings counting where the
standard lets them.

House rules: a read-only root file system; eviction.safe OnUpgrade or Always; memory and CPU requests
given, no CPU limit below a whole core; DRAVO_LOGFILE set empty (the log to standard output only); GameSpy
off unless a master is named (+UseGameSpy 0, or +SpyMasterHost given); emptyDir volumes with a size limit.

With --self-test, each manifest is also checked with one of its required settings taken away at a time,
and each such copy must fail.

Usage: check-pod-security.py [--self-test] MANIFEST...
Needs python3 with PyYAML (Debian: python3-yaml).
"""
import argparse
import copy
import sys

import yaml

ALLOWED_VOLUMES = {"configMap", "csi", "downwardAPI", "emptyDir", "ephemeral", "persistentVolumeClaim",
                   "projected", "secret", "name"}


def templates(document):
    """(game server settings, pod settings) of a GameServer or of a Fleet's template."""
    if document.get("kind") == "GameServer":
        spec = document.get("spec", {})
    elif document.get("kind") == "Fleet":
        spec = document.get("spec", {}).get("template", {}).get("spec", {})
    else:
        return
    yield spec, spec.get("template", {}).get("spec", {})


def containers(pod):
    for kind in ("initContainers", "containers", "ephemeralContainers"):
        for container in pod.get(kind) or []:
            yield container


def effective(pod, container, key):
    """A container's security setting, or the pod's where the container leaves it out."""
    value = (container.get("securityContext") or {}).get(key)
    return value if value is not None else (pod.get("securityContext") or {}).get(key)


def restricted(pod):
    found = []
    for key in ("hostNetwork", "hostPID", "hostIPC"):
        if pod.get(key):
            found.append("%s is set" % key)
    for volume in pod.get("volumes") or []:
        kinds = set(volume) - ALLOWED_VOLUMES
        if kinds:
            found.append("volume %s is of a kind not allowed: %s" % (volume.get("name"), ", ".join(sorted(kinds))))
    for container in containers(pod):
        name = container.get("name")
        context = container.get("securityContext") or {}
        if context.get("privileged"):
            found.append("%s: privileged" % name)
        if context.get("allowPrivilegeEscalation") is not False:
            found.append("%s: allowPrivilegeEscalation is not false" % name)
        if effective(pod, container, "runAsNonRoot") is not True:
            found.append("%s: runAsNonRoot is not true" % name)
        if effective(pod, container, "runAsUser") == 0:
            found.append("%s: runs as user 0" % name)
        seccomp = (effective(pod, container, "seccompProfile") or {}).get("type")
        if seccomp not in ("RuntimeDefault", "Localhost"):
            found.append("%s: seccompProfile is %s, not RuntimeDefault or Localhost" % (name, seccomp))
        capabilities = context.get("capabilities") or {}
        if "ALL" not in (capabilities.get("drop") or []):
            found.append("%s: capabilities do not drop ALL" % name)
        added = set(capabilities.get("add") or []) - {"NET_BIND_SERVICE"}
        if added:
            found.append("%s: adds capabilities %s" % (name, ", ".join(sorted(added))))
        for port in container.get("ports") or []:
            if port.get("hostPort"):
                found.append("%s: uses a host port" % name)
    return found


def cpu_cores(amount):
    text = str(amount)
    return float(text[:-1]) / 1000 if text.endswith("m") else float(text)


def house_rules(game_server, pod):
    found = []
    if (game_server.get("eviction") or {}).get("safe") not in ("OnUpgrade", "Always"):
        found.append("eviction.safe is not OnUpgrade or Always")
    for volume in pod.get("volumes") or []:
        if "emptyDir" in volume and not (volume["emptyDir"] or {}).get("sizeLimit"):
            found.append("emptyDir %s has no size limit" % volume.get("name"))
    for container in pod.get("containers") or []:
        name = container.get("name")
        if (container.get("securityContext") or {}).get("readOnlyRootFilesystem") is not True:
            found.append("%s: the root file system is not read-only" % name)
        resources = container.get("resources") or {}
        requests = resources.get("requests") or {}
        if "cpu" not in requests or "memory" not in requests:
            found.append("%s: no CPU or memory request" % name)
        limit = (resources.get("limits") or {}).get("cpu")
        if limit is not None and cpu_cores(limit) < 1:
            found.append("%s: a CPU limit below a core (%s) throttles the game loop" % (name, limit))
        environment = {item.get("name"): item.get("value") for item in container.get("env") or []}
        if environment.get("DRAVO_LOGFILE", None) != "":
            found.append("%s: DRAVO_LOGFILE is not set empty (a log file in /data)" % name)
        arguments = [str(argument) for argument in container.get("args") or []]
        gamespy_off = any(arguments[i:i + 2] == ["+UseGameSpy", "0"] for i in range(len(arguments)))
        if not gamespy_off and "+SpyMasterHost" not in arguments:
            found.append("%s: GameSpy is on with no master named" % name)
    return found


def check(document):
    found = []
    for game_server, pod in templates(document):
        found += restricted(pod) + house_rules(game_server, pod)
    return found


# Ways to take away one required setting: each applied to a copy must make the check fail.
def weakenings(document):
    for game_server, pod in templates(document):
        yield "no eviction", lambda g=game_server: g.pop("eviction", None)
        yield "hostNetwork", lambda p=pod: p.update(hostNetwork=True)
        yield "hostPath volume", lambda p=pod: p.setdefault("volumes", []).append({"name": "h", "hostPath": {}})
        for index, container in enumerate(pod.get("containers") or []):
            context = container.get("securityContext") or {}
            for key in context:
                # Taken from the pod too, where the pod's setting would stand in for the container's.
                yield "container %d without %s" % (index, key), lambda c=container, p=pod, k=key: (
                    c["securityContext"].pop(k), (p.get("securityContext") or {}).pop(k, None))
            yield "container %d seccomp Unconfined" % index, lambda c=container: c["securityContext"].update(
                seccompProfile={"type": "Unconfined"})
            yield "container %d adds SYS_ADMIN" % index, lambda c=container: c["securityContext"].setdefault(
                "capabilities", {}).update(add=["SYS_ADMIN"])
            yield "container %d runs as root" % index, lambda c=container: c["securityContext"].update(runAsUser=0)
            yield "container %d CPU limit 500m" % index, lambda c=container: c["resources"].setdefault(
                "limits", {}).update(cpu="500m")
            yield "container %d logs to a file" % index, lambda c=container: c.update(env=[])
            yield "container %d GameSpy on" % index, lambda c=container: c.update(args=["+UseGameSpy", "1"])


def self_test(document, name):
    """The names of the weakenings that still pass."""
    passed = []
    count = sum(1 for _ in weakenings(document))
    for index in range(count):
        copied = copy.deepcopy(document)
        label, weaken = list(weakenings(copied))[index]
        weaken()
        if not check(copied):
            passed.append(label)
    print("%s   %s: %d weakened copies checked" % ("FAIL" if passed else "ok  ", name, count))
    return passed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--self-test", action="store_true")
    parser.add_argument("manifests", nargs="+")
    arguments = parser.parse_args()
    failed = 0
    pods = 0
    for manifest in arguments.manifests:
        with open(manifest, encoding="utf-8") as stream:
            documents = [document for document in yaml.safe_load_all(stream) if isinstance(document, dict)]
        for number, document in enumerate(documents, 1):
            if not any(True for _ in templates(document)):
                continue
            pods += 1
            name = "%s #%d (%s)" % (manifest, number, document.get("kind"))
            found = check(document)
            print("%s %s" % ("FAIL" if found else "ok  ", name))
            for problem in found:
                print("  " + problem)
            failed += 1 if found else 0
            if arguments.self_test and not found:
                passed = self_test(document, name)
                for label in passed:
                    print("  still passes: " + label)
                failed += 1 if passed else 0
    print("%d pod templates, %d failed" % (pods, failed))
    return 1 if failed or not pods else 0


if __name__ == "__main__":
    sys.exit(main())
