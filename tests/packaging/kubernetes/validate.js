// Checks each object of the given YAML files against the Kubernetes API
// schema of its apiVersion and kind, as the API server would on apply.
// Exits 1 naming every object that fails, or whose kind the schema lacks.
'use strict';
const fs = require('fs');
const yaml = require('js-yaml');

let failures = 0;
for (const file of process.argv.slice(2)) {
    for (const object of yaml.loadAll(fs.readFileSync(file, 'utf8'))) {
        if (object === null || object === undefined)
            continue;
        const name = `${file}: ${object.kind} ${object.metadata && object.metadata.name}`;
        // "apps/v1" models live under apps/v1, the core group's "v1" under v1.
        let Model;
        try {
            Model = require(`kubernetes-models/${object.apiVersion}/${object.kind}`)[object.kind];
        } catch (error) {
            console.log(`FAIL: ${name}: no schema for ${object.apiVersion} ${object.kind}`);
            failures++;
            continue;
        }
        try {
            new Model(object).validate();
            console.log(`valid: ${name}`);
        } catch (error) {
            console.log(`FAIL: ${name}: ${error.message}`);
            failures++;
        }
    }
}
process.exit(failures === 0 ? 0 : 1);
