// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's report in a worker, so that the page stays responsive while a
// big logbook is read: the report's module (web/logbook_bridge.cpp) reads the
// files one after the other, as its readers ask for their bytes, and writes
// the text log, the CSV, the workbook, the map and the tables of the report.
// A classic script: the page starts it from a blob: URL, which a module
// worker from a file: page may not be.
//
// The report is made in three passes over the files, each output offered as
// soon as it is whole: the text log first, then the CSV, the map and the
// tables of the report, last the workbook.
//
// From the page:  {type: "start", module: WebAssembly.Module}
//                 {type: "report", id, logs: [{file, folder}], own, unique,
//                  noSat, confirmed, band}
// To the page:    {type: "ready", bands: [CAPTION…]}
//                 {type: "progress", id, pass, log, bytes, contacts}
//                 {type: "log", id, log, contacts, messages}   (first pass)
//                 {type: "text", id, base, messages, text (Blob)}
//                 {type: "report", id, csv, svg (Blobs), tables (JSON text)}
//                 {type: "done", id, messages, workbook (Blob or null), leftFiles}
//                 {type: "refused", id, messages}              (the options)
//                 {type: "failed", id, error}
"use strict";

(() => {
    // The C library's error numbers (WASI's) for a file that cannot be read.
    const EACCES = 2;
    const EIO = 29;
    const EISDIR = 31;
    const ENOENT = 44;
    // The outputs as the module numbers them.
    const OUTPUTS = ["text", "csv", "svg"];
    const TYPES = {
        text: "text/plain;charset=utf-8",
        csv: "text/csv;charset=utf-8",
        svg: "image/svg+xml",
        workbook: "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
    };
    // How often the page hears how far the reading is, at most.
    const PROGRESS_EVERY_MS = 50;
    // A log up to this size is read into memory once, at once, for all
    // passes; a larger one is read piece by piece in each pass.
    const READ_WHOLE = 256 * 1024 * 1024;

    let x = null; // the module's exports
    let wasi = null;
    const encoder = new TextEncoder();
    const ascii = new TextDecoder("ascii");

    // What the module's imports work on during a report.
    let reading = null; // {file, bytes (when read at once), at, failed (an error number)}
    let outputs = null; // kind -> [Uint8Array…]
    let progress = null; // (bytes, contacts) => void

    function memory() {
        return new Uint8Array(x.memory.buffer);
    }

    function text(pointer) {
        return ascii.decode(memory().subarray(pointer, pointer + x.qrb_reply_size()));
    }

    function reply(pointer) {
        return JSON.parse(text(pointer));
    }

    // A text into the module's buffer, for the call that follows.
    function hand(value) {
        const bytes = encoder.encode(value);
        memory().set(bytes, x.qrb_buffer(bytes.length));
    }

    function errorNumber(error) {
        switch (error && error.name) {
        case "NotFoundError":
            return ENOENT;
        case "NotReadableError":
        case "SecurityError":
            return EACCES;
        default:
            return EIO;
        }
    }

    const host = {
        // The next bytes of the logbook being read: the count, 0 at its end,
        // the error number negated when it cannot be read.
        read(into, size) {
            if (reading.failed) {
                return BigInt(-reading.failed);
            }
            const n = Math.min(size, reading.file.size - reading.at);
            if (n <= 0) {
                return 0n;
            }
            let chunk;
            if (reading.bytes) {
                chunk = reading.bytes.subarray(reading.at, reading.at + n);
            } else {
                try {
                    chunk = new Uint8Array(new FileReaderSync().readAsArrayBuffer(
                        reading.file.slice(reading.at, reading.at + n)));
                } catch (error) {
                    reading.failed = errorNumber(error);
                    return BigInt(-reading.failed);
                }
            }
            memory().set(chunk, into);
            reading.at += chunk.length;
            return BigInt(chunk.length);
        },
        progress(bytes, contacts) {
            progress(bytes, contacts);
        },
        output(kind, at, size) {
            outputs[OUTPUTS[kind]].push(memory().slice(at, at + size));
        },
    };

    async function start(module) {
        wasi = QrbWasi.create({ folder: "/tmp" });
        const instance = await WebAssembly.instantiate(module, { ...wasi.imports, qrb_host: host });
        wasi.attach(instance);
        instance.exports._initialize();
        x = instance.exports;
        x.qrb_warm_up();
        postMessage({ type: "ready", bands: reply(x.qrb_bands()) });
    }

    // One pass over the logs: what each log said, what the pass wrote.
    function pass(job, number, post) {
        hand(job.own);
        const begun = reply(x.qrb_report_begin(job.unique ? 1 : 0, job.noSat ? 1 : 0,
            job.confirmed ? 1 : 0, job.band, number));
        if (!begun.ok) {
            post({ type: "refused", messages: begun.messages });
            return null;
        }
        outputs = { text: [], csv: [], svg: [] };
        job.logs.forEach((log, index) => {
            reading = { file: log.file, bytes: log.bytes, at: 0, failed: log.failed };
            let last = 0;
            progress = (bytes, contacts) => {
                const now = performance.now();
                if (now - last >= PROGRESS_EVERY_MS) {
                    last = now;
                    post({ type: "progress", pass: number, log: index, bytes, contacts });
                }
            };
            hand(log.file.name);
            const outcome = reply(x.qrb_report_log());
            // Each pass reads the same: the first says it.
            if (number === 0) {
                post({ type: "log", log: index, contacts: outcome.contacts, messages: outcome.messages });
            }
        });
        reading = null;
        const finished = reply(x.qrb_report_finish());
        const written = outputs;
        outputs = null;
        return { finished, written };
    }

    // The logs' bytes, where they are read at once; or why they cannot be.
    async function readLogs(logs) {
        for (const log of logs) {
            log.failed = log.folder ? EISDIR : 0;
            if (!log.folder && log.file.size <= READ_WHOLE) {
                try {
                    log.bytes = new Uint8Array(await log.file.arrayBuffer());
                } catch (error) {
                    log.failed = errorNumber(error);
                }
            }
        }
    }

    async function report(job) {
        const post = (message) => postMessage({ id: job.id, ...message });
        await readLogs(job.logs);
        const blob = (kind, parts) => new Blob(parts, { type: TYPES[kind] });
        const first = pass(job, 0, post);
        if (first === null) {
            return;
        }
        hand(job.logs[0].file.name);
        const base = reply(x.qrb_report_base()).base;
        post({ type: "text", base, messages: first.finished.messages, text: blob("text", first.written.text) });
        const shown = pass(job, 1, post);
        post({
            type: "report",
            csv: blob("csv", shown.written.csv),
            svg: blob("svg", shown.written.svg),
            // The tables as the module wrote them, parsed where they are shown.
            tables: text(x.qrb_report_tables()),
        });
        const book = pass(job, 2, post);
        const workbook = book.finished.workbook ? wasi.take(book.finished.workbook) : null;
        post({
            type: "done",
            messages: book.finished.messages,
            workbook: workbook === null ? null : blob("workbook", [workbook]),
            // What the report left in the in-memory folder: nothing, when
            // every temporary file went as it should.
            leftFiles: wasi.fileCount,
        });
    }

    onmessage = async (event) => {
        const message = event.data;
        try {
            if (message.type === "start") {
                await start(message.module);
            } else if (message.type === "report") {
                await report(message);
            }
        } catch (error) {
            postMessage({ type: "failed", id: message.id, error: String(error) });
        }
    };
})();
