// Runs the Khronos glTF Validator on one file: prints its summary and every message, and
// exits 1 when it reports an error or a warning.
// Usage: node validate_gltf.js VALIDATOR_FOLDER FILE
const fs = require("fs");
const path = require("path");
const [folder, file] = process.argv.slice(2);
const validator = require(path.join(folder, "node_modules", "gltf-validator"));

validator
    .validateBytes(new Uint8Array(fs.readFileSync(file)), {uri: path.basename(file)})
    .then((report) => {
        const i = report.issues;
        console.log(`${file}: ${i.numErrors} errors, ${i.numWarnings} warnings, ` +
                    `${i.numInfos} infos, ${i.numHints} hints (validator ${report.validatorVersion})`);
        for (const m of i.messages) console.log(`  ${m.severity} ${m.code} ${m.pointer || ""}: ${m.message}`);
        process.exit(i.numErrors + i.numWarnings > 0 ? 1 : 0);
    })
    .catch((error) => {
        console.log(`${file}: the validator failed: ${error}`);
        process.exit(1);
    });
