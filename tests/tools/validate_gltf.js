// Validates one glTF or GLB file with the Khronos glTF validator and prints its findings, one a
// line. Exits 0 when the file has neither errors nor warnings, 1 when it has, 2 when it could not
// be validated at all. Usage: node validate_gltf.js VALIDATOR_FOLDER FILE
'use strict';
const fs = require('fs');
const path = require('path');

const [validatorFolder, file] = process.argv.slice(2);
const validator = require(path.join(validatorFolder, 'node_modules', 'gltf-validator'));

const severities = ['error', 'warning', 'info', 'hint'];
validator
    .validateBytes(new Uint8Array(fs.readFileSync(file)), {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) =>
            fs.promises.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri))),
    })
    .then((report) => {
        for (const message of report.issues.messages) {
            console.log(`${severities[message.severity]} ${message.code} ${message.pointer || ''}: ` +
                        message.message);
        }
        const {numErrors, numWarnings, numInfos, numHints} = report.issues;
        console.log(`${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos, ` +
                    `${numHints} hints`);
        process.exit(numErrors + numWarnings === 0 ? 0 : 1);
    }, (failure) => {
        console.log(`not validated: ${failure}`);
        process.exit(2);
    });
