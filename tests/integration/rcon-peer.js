// The remote console seen by common RCON clients from npm (rcon-srcds, rcon-client), for the tests.
// Usage: node rcon-peer.js <modules dir> <srcds|client> <port> <password> <mode> [arguments...]
//   logins <n>        logs in n times, each on a connection of its own; prints {"ok": <count>}
//   run <command>...  logs in once and runs each command; prints the answers as a JSON array
//   login             tries once; prints {"ok": true} or {"ok": false, "error": "..."}
// Everything goes to 127.0.0.1; every request gives up after 5 s.
'use strict';
const path = require('path');
const [modules, kind, port, password, mode, ...rest] = process.argv.slice(2);
const TIMEOUT = 5000;

function client() {
    if (kind === 'srcds') {
        const Rcon = require(path.join(modules, 'rcon-srcds')).default;
        const rcon = new Rcon({host: '127.0.0.1', port: Number(port), timeout: TIMEOUT});
        return {
            login: () => rcon.authenticate(password),
            // rcon-srcds decodes each chunk that TCP hands it as one packet: where two answer packets
            // arrive in one chunk, the first's two NULs and the next one's 12 header bytes stay in the
            // text. The server's packets are whole; they are taken out here, as a reassembling client would.
            run: async (command) => String(await rcon.execute(command)).replace(/\0\0[\s\S]{12}/g, ''),
            end: () => rcon.disconnect(),
        };
    }
    const {Rcon} = require(path.join(modules, 'rcon-client'));
    let rcon = null;
    return {
        login: async () => {
            rcon = await Rcon.connect({host: '127.0.0.1', port: Number(port), password, timeout: TIMEOUT});
        },
        run: (command) => rcon.send(command),
        end: () => (rcon ? rcon.end() : undefined),
    };
}

async function main() {
    if (mode === 'logins') {
        let ok = 0;
        for (let i = 0; i < Number(rest[0]); ++i) {
            const peer = client();
            await peer.login();
            ok += 1;
            await peer.end();
        }
        return {ok};
    }
    const peer = client();
    if (mode === 'login') {
        try {
            await peer.login();
            await peer.end();
            return {ok: true};
        } catch (error) {
            return {ok: false, error: String(error && error.message ? error.message : error)};
        }
    }
    await peer.login();
    const answers = [];
    for (const command of rest) {
        answers.push(String(await peer.run(command)));
    }
    await peer.end();
    return answers;
}

// A client that is left waiting for an answer that never comes (the server closed the connection
// without one) ends with nothing left to do: that is a failed login too.
process.on('beforeExit', () => {
    process.stdout.write(JSON.stringify({ok: false, error: 'closed without an answer'}) + '\n', () => process.exit(0));
});

// Written out before the exit: a pipe takes its data later than a terminal does.
main().then((result) => {
    process.stdout.write(JSON.stringify(result) + '\n', () => process.exit(0));
}, (error) => {
    process.stderr.write('rcon-peer: ' + String(error && error.stack ? error.stack : error) + '\n', () => process.exit(1));
});
