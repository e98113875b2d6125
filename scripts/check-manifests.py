#!/usr/bin/env python3
"""Checks Kubernetes manifests against the CustomResourceDefinitions they use, without a cluster.

Each document's apiVersion and kind must name a definition given with --crds; its spec (and status) must
fit the definition's OpenAPI v3 schema, made strict as the API server's field validation is: a field the
schema does not name is an error, except where the schema keeps unknown fields. metadata must be an
ObjectMeta with known fields. With --mutations, every manifest is also checked with one of its field
names misspelt at a time, at several depths, and each such copy must fail.

With --ports, every game server (alone or in a fleet's template) must have exactly these container ports
("27888/UDP"); with --list, it must define that list.

Usage: check-manifests.py --crds DIR [--mutations] [--ports P/PROTO,...] [--list NAME] MANIFEST...
Needs python3 with PyYAML and jsonschema (Debian: python3-yaml, python3-jsonschema).
"""
import argparse
import copy
import glob
import os
import sys

import jsonschema
import yaml

OBJECT_META = {
    "type": "object",
    "additionalProperties": False,
    "properties": {
        "name": {"type": "string"},
        "generateName": {"type": "string"},
        "namespace": {"type": "string"},
        "labels": {"type": "object", "additionalProperties": {"type": "string"}},
        "annotations": {"type": "object", "additionalProperties": {"type": "string"}},
    },
}


def strict(schema):
    """The schema with additionalProperties false wherever it names properties and keeps no unknown fields."""
    if isinstance(schema, list):
        return [strict(item) for item in schema]
    if not isinstance(schema, dict):
        return schema
    result = {key: strict(value) for key, value in schema.items()}
    if ("properties" in result and "additionalProperties" not in result
            and not schema.get("x-kubernetes-preserve-unknown-fields")):
        result["additionalProperties"] = False
    return result


def load_definitions(directory):
    definitions = {}
    for path in sorted(glob.glob(os.path.join(directory, "*.yaml"))):
        with open(path, encoding="utf-8") as stream:
            for document in yaml.safe_load_all(stream):
                if not document or document.get("kind") != "CustomResourceDefinition":
                    continue
                spec = document["spec"]
                for version in spec["versions"]:
                    schema = strict(version["schema"]["openAPIV3Schema"])
                    # An embedded object's metadata (a template's) is an ObjectMeta too.
                    definitions[(spec["group"] + "/" + version["name"], spec["names"]["kind"])] = schema
    return definitions


def problems(document, definitions):
    """The reasons the document does not fit, empty when it does."""
    if not isinstance(document, dict):
        return ["not a mapping"]
    key = (document.get("apiVersion"), document.get("kind"))
    schema = definitions.get(key)
    if schema is None:
        return ["no definition for apiVersion %s, kind %s" % key]
    found = []
    unknown = set(document) - {"apiVersion", "kind", "metadata", "spec", "status"}
    if unknown:
        found.append("unknown top-level fields: %s" % ", ".join(sorted(unknown)))
    for error in jsonschema.Draft7Validator(OBJECT_META).iter_errors(document.get("metadata", {})):
        found.append("metadata: %s" % error.message)
    body = {name: document[name] for name in ("spec", "status") if name in document}
    for error in jsonschema.Draft7Validator(schema).iter_errors(body):
        path = ".".join(str(part) for part in error.absolute_path)
        found.append("%s: %s" % (path or "(top)", error.message))
    return found


def game_server_specs(document):
    if document.get("kind") == "GameServer":
        yield document.get("spec", {})
    elif document.get("kind") == "Fleet":
        yield document.get("spec", {}).get("template", {}).get("spec", {})


def expectations(document, ports, list_name):
    found = []
    for spec in game_server_specs(document):
        given = sorted("%s/%s" % (port.get("containerPort"), port.get("protocol", "UDP")) for port in spec.get("ports", []))
        if ports is not None and given != sorted(ports):
            found.append("container ports %s, not %s" % (", ".join(given), ", ".join(ports)))
        if list_name and list_name not in (spec.get("lists") or {}):
            found.append("no list %s" % list_name)
    return found


def mapping_paths(node, path=()):
    """Every path to a key of a mapping inside the document, depth first."""
    if isinstance(node, dict):
        for key, value in node.items():
            yield path + (key,)
            yield from mapping_paths(value, path + (key,))
    elif isinstance(node, list):
        for index, value in enumerate(node):
            yield from mapping_paths(value, path + (index,))


def misspelt(document, path):
    copied = copy.deepcopy(document)
    node = copied
    for part in path[:-1]:
        node = node[part]
    node[path[-1] + "x"] = node.pop(path[-1])
    return copied


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--crds", required=True)
    parser.add_argument("--mutations", action="store_true")
    parser.add_argument("--ports")
    parser.add_argument("--list")
    parser.add_argument("manifests", nargs="+")
    arguments = parser.parse_args()
    definitions = load_definitions(arguments.crds)
    if not definitions:
        print("No definitions in %s" % arguments.crds)
        return 1
    failed = 0
    checked = 0
    for manifest in arguments.manifests:
        with open(manifest, encoding="utf-8") as stream:
            documents = [document for document in yaml.safe_load_all(stream) if document is not None]
        for number, document in enumerate(documents, 1):
            name = "%s #%d (%s)" % (manifest, number, document.get("kind") if isinstance(document, dict) else "?")
            found = problems(document, definitions)
            ports = arguments.ports.split(",") if arguments.ports else None
            found += expectations(document, ports, arguments.list) if isinstance(document, dict) else []
            checked += 1
            if found:
                failed += 1
                print("FAIL %s" % name)
                for problem in found:
                    print("  " + problem)
                continue
            print("ok   %s" % name)
            if not arguments.mutations:
                continue
            # Field names the manifest uses, misspelt one at a time (the keys of labels, annotations, lists and
            # resource amounts are names of the user's own).
            paths = [path for path in mapping_paths(document)
                     if not any(part in ("labels", "annotations", "lists", "requests", "limits") for part in path[:-1])
                     and path[0] not in ("apiVersion", "kind")]
            passed = [path for path in paths if not problems(misspelt(document, path), definitions)]
            checked += len(paths)
            if passed:
                failed += 1
                print("FAIL %s: misspelt fields that still pass: %s" % (
                    name, ", ".join(".".join(str(part) for part in path) for path in passed)))
            else:
                print("ok   %s: each of its %d field names misspelt fails" % (name, len(paths)))
    print("%d passed, %d failed" % (checked - failed, failed))
    return 1 if failed or not checked else 0


if __name__ == "__main__":
    sys.exit(main())
