// Checks each object of the given YAML files against the Kubernetes API
// schema of its apiVersion and kind, as the API server would on apply.
// Exits 1 naming every object that fails, or whose kind the schema lacks.
'use strict';
const fs = require('fs');
const yaml = require('js-yaml');

const agonesPods = {
    'agones.dev/v1 GameServer': (server) => server.spec.template,
    'agones.dev/v1 Fleet': (fleet) => fleet.spec.template.spec.template,
};

let failures = 0;
for (const file of process.argv.slice(2)) {
    for (let object of yaml.loadAll(fs.readFileSync(file, 'utf8'))) {
        if (object === null || object === undefined)
            continue;
        let name = `${file}: ${object.kind} ${object.metadata && (object.metadata.name || object.metadata.generateName)}`;
        // Agones' own kinds have no schema here; the pod each one runs is
        // Kubernetes' own, and is checked as such.
        const pod = agonesPods[`${object.apiVersion} ${object.kind}`];
        if (pod) {
            name += ' (its pod template)';
            object = {apiVersion: 'v1', kind: 'PodTemplateSpec', ...pod(object)};
        }
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
