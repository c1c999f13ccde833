// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's section of the page as a view of the report: it hands the
// chosen files and options to the worker (web/js/worker.js), shows how far
// the reading is, the messages, the report's tables and the map as the
// report's module wrote them, and offers the downloads, which are the bytes
// qrb-score writes for the same files and options. It decides nothing about
// the report itself.
//
// Choosing or dropping files makes a new report of exactly those files, in
// the order given; changing an option makes it anew. A new report cancels
// one still being made: its worker is ended and a fresh one takes over.
"use strict";

const QrbLogbook = (() => {
    // Lines of a table shown at once; a longer table is shown page by page
    // (and printed whole).
    const ROWS_PER_PAGE = 500;
    const DOWNLOADS = ["txt", "csv", "xlsx", "svg"];
    // What each pass of the worker makes, for the progress.
    const PASSES = ["Text", "Bericht, Karte und CSV", "Arbeitsmappe"];

    const byId = (id) => document.getElementById(id);
    const make = (tag, className, text) => {
        const el = document.createElement(tag);
        if (className) {
            el.className = className;
        }
        if (text !== undefined) {
            el.textContent = text;
        }
        return el;
    };

    let module = null; // the report's module, compiled once
    let worker = null;
    let workerReady = null; // settles once the worker has instantiated the module
    let logs = []; // [{file, folder}] of the report being made or shown
    let current = 0; // the number of the report being made
    let urls = []; // object URLs of the downloads shown
    let pagedTables = []; // the tables shown page by page: [{table, rows, page, pager}]
    let busy = false; // a report is being made
    // {before: [where each log's bytes begin], shown: settles once the
    // report's tables and map are shown}
    let making = null;
    const hooks = { show: () => {} };
    const done = []; // resolvers waiting for the next report to be complete
    const page = {
        // Settles when the report being made (or the next one) is complete.
        complete: () => new Promise((resolve) => done.push(resolve)),
        // The number of reports completed so far.
        reports: 0,
    };

    // The report's module, inlined gzip-compressed as base64.
    async function compile() {
        const packed = QrbSession.decodeBase64(byId("qrb-logbook-module").textContent);
        const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream("gzip"));
        const bytes = await new Response(stream).arrayBuffer();
        return WebAssembly.compile(bytes);
    }

    function startWorker() {
        const source = new Blob([byId("qrb-worker-source").textContent], { type: "text/javascript" });
        const url = URL.createObjectURL(source);
        worker = new Worker(url);
        workerReady = new Promise((resolve, reject) => {
            worker.onmessage = (event) => {
                const message = event.data;
                URL.revokeObjectURL(url);
                if (message.type === "ready") {
                    fillBands(message.bands);
                    worker.onmessage = (e) => heard(e.data);
                    resolve();
                } else if (message.type === "failed") {
                    reject(new Error(message.error));
                }
            };
            worker.onerror = (event) => reject(new Error(event.message));
        });
        worker.postMessage({ type: "start", module });
        return workerReady;
    }

    function fillBands(captions) {
        const select = byId("band");
        if (select.options.length > 1) {
            return;
        }
        captions.forEach((caption, index) => {
            const option = make("option", null, caption);
            option.value = String(index);
            select.appendChild(option);
        });
    }

    // ---- Making a report ------------------------------------------------------

    function options() {
        return {
            own: byId("own").value,
            unique: byId("unique").checked,
            noSat: byId("nosat").checked,
            confirmed: byId("confirmed").checked,
            band: Number(byId("band").value),
        };
    }

    function clearDownloads() {
        for (const id of DOWNLOADS) {
            const a = byId(id);
            a.removeAttribute("href");
            a.removeAttribute("download");
        }
        for (const url of urls) {
            URL.revokeObjectURL(url);
        }
        urls = [];
        byId("print-report").disabled = true;
    }

    async function makeReport() {
        if (logs.length === 0) {
            return;
        }
        const id = ++current;
        clearDownloads();
        byId("messages").replaceChildren();
        byId("report").replaceChildren();
        byId("map").replaceChildren();
        pagedTables = [];
        hooks.show();
        const total = logs.reduce((sum, log) => sum + log.file.size, 0);
        const progress = byId("progress");
        progress.hidden = false;
        progress.max = PASSES.length * Math.max(1, total);
        progress.value = 0;
        byId("progress-text").textContent = `${PASSES[0]} …`;
        // Where each log's bytes begin among the bytes of all.
        let before = 0;
        making = {
            before: logs.map((log) => (before += log.file.size) - log.file.size),
            shown: Promise.resolve(),
        };
        // A report still being made is given up: its worker ends at once.
        if (busy && worker) {
            worker.terminate();
            startWorker().catch(() => {});
        }
        busy = true;
        try {
            await workerReady;
        } catch (error) {
            failed(id, error);
            return;
        }
        if (id !== current) {
            return;
        }
        worker.postMessage({ type: "report", id, logs, ...options() });
    }

    function note(line) {
        byId("messages").appendChild(make("p", null, line));
    }

    function failed(id, error) {
        if (id !== current) {
            return;
        }
        busy = false;
        byId("progress").hidden = true;
        byId("progress-text").textContent = "";
        note(`Der Bericht ließ sich nicht erstellen: ${error}`);
        // The module may be spoilt: the next report gets a fresh worker.
        worker.terminate();
        startWorker().catch(() => {});
        settle();
    }

    function heard(message) {
        if (message.id !== current) {
            return;
        }
        const progress = byId("progress");
        const total = progress.max / PASSES.length;
        switch (message.type) {
        case "progress":
            progress.value = message.pass * total + making.before[message.log] + message.bytes;
            byId("progress-text").textContent = `${PASSES[message.pass]}: ` +
                `${logs[message.log].file.name}, ${message.contacts.toLocaleString("de-DE")} Verbindungen gelesen`;
            break;
        case "log":
            progress.value = making.before[message.log] + logs[message.log].file.size;
            message.messages.forEach(note);
            break;
        case "text":
            making.base = message.base;
            message.messages.forEach(note);
            offer("txt", message.text);
            progress.value = total;
            byId("progress-text").textContent = `${PASSES[1]} …`;
            break;
        case "report":
            making.shown = show(message);
            progress.value = 2 * total;
            byId("progress-text").textContent = `${PASSES[2]} …`;
            break;
        case "done":
            message.messages.forEach(note);
            making.shown.then(() => {
                if (message.id !== current) {
                    return;
                }
                busy = false;
                progress.hidden = true;
                byId("progress-text").textContent = "";
                offer("xlsx", message.workbook);
                page.leftFiles = message.leftFiles;
                settle();
            });
            break;
        case "refused":
            busy = false;
            progress.hidden = true;
            byId("progress-text").textContent = "";
            message.messages.forEach(note);
            settle();
            break;
        case "failed":
            failed(message.id, message.error);
            break;
        }
    }

    // ---- Showing it -----------------------------------------------------------

    function settle() {
        page.reports += 1;
        for (const resolve of done.splice(0)) {
            resolve();
        }
    }

    // A download, once its bytes are whole; named after the first log, as the
    // module names it.
    function offer(id, blob) {
        if (!blob) {
            return;
        }
        const url = URL.createObjectURL(blob);
        urls.push(url);
        const a = byId(id);
        a.download = `${making.base}.${id}`;
        a.href = url;
    }

    async function show(message) {
        const tables = JSON.parse(message.tables);
        showReport(tables);
        await showMap(message.svg);
        if (message.id !== current) {
            return;
        }
        offer("csv", message.csv);
        offer("svg", message.svg);
        byId("print-report").disabled = false;
    }

    async function showMap(svg) {
        const text = await svg.text();
        const parsed = new DOMParser().parseFromString(text, "image/svg+xml");
        const root = parsed.documentElement;
        if (root && root.localName === "svg") {
            byId("map").replaceChildren(document.importNode(root, true));
        }
    }

    function cells(row, values, kind) {
        values.forEach((value, i) => {
            const td = make("td", kind(i), String(value));
            row.appendChild(td);
        });
    }

    // A table with its column captions, each column's cells of the class
    // kind(column); its rows shown page by page when there are many.
    function table(className, columns, rows, kind) {
        const wrap = make("div", "table-wrap");
        const t = make("table", className);
        const head = make("thead");
        const tr = make("tr");
        columns.forEach((caption, i) => {
            const th = make("th", kind(i), caption);
            th.scope = "col";
            tr.appendChild(th);
        });
        head.appendChild(tr);
        t.appendChild(head);
        t.appendChild(make("tbody"));
        wrap.appendChild(t);
        const paged = { table: t, rows, page: 0, kind, pager: null };
        if (rows.length > ROWS_PER_PAGE) {
            paged.pager = pager(paged);
            wrap.appendChild(paged.pager);
        }
        pagedTables.push(paged);
        fill(paged, false);
        return wrap;
    }

    // The rows of the table's page, or all of them.
    function fill(paged, all) {
        const body = make("tbody");
        const from = all ? 0 : paged.page * ROWS_PER_PAGE;
        const to = all ? paged.rows.length : Math.min(paged.rows.length, from + ROWS_PER_PAGE);
        for (let i = from; i < to; ++i) {
            const tr = make("tr");
            cells(tr, paged.rows[i], paged.kind);
            body.appendChild(tr);
        }
        paged.table.tBodies[0].replaceWith(body);
        if (paged.pager) {
            const pages = Math.ceil(paged.rows.length / ROWS_PER_PAGE);
            paged.pager.querySelector(".pager-text").textContent =
                `Zeilen ${(from + 1).toLocaleString("de-DE")}–${to.toLocaleString("de-DE")} ` +
                `von ${paged.rows.length.toLocaleString("de-DE")}`;
            paged.pager.querySelector(".back").disabled = paged.page === 0;
            paged.pager.querySelector(".next").disabled = paged.page >= pages - 1;
        }
    }

    function pager(paged) {
        const bar = make("p", "pager");
        const back = make("button", "back", "« Zurück");
        const next = make("button", "next", "Weiter »");
        back.type = "button";
        next.type = "button";
        back.addEventListener("click", () => {
            paged.page -= 1;
            fill(paged, false);
        });
        next.addEventListener("click", () => {
            paged.page += 1;
            fill(paged, false);
        });
        bar.append(back, make("span", "pager-text"), next);
        return bar;
    }

    // How a column is shown: the window's log line as the window shows it,
    // the band tables' numbers right-aligned.
    const lineColumns = (i) => (i === 0 ? "window-line" : null);
    const bandColumns = (i) => (i >= 1 ? "num" : null);
    const skippedColumns = (i) => (i === 1 ? "num" : null);

    function showReport(tables) {
        const out = byId("report");
        out.replaceChildren();
        out.appendChild(make("h2", "report-title", tables.title));
        if (tables.withoutOwn) {
            out.appendChild(make("p", "note", `${tables.withoutOwn.caption} ${tables.withoutOwn.files.join(", ")}`));
        }
        if (tables.nothing) {
            out.appendChild(make("p", null, tables.nothing));
        }
        for (const block of tables.blocks) {
            const section = make("section", "block");
            section.appendChild(make("h3", null, block.heading));
            section.appendChild(table("lines", tables.lineColumns, block.lines, lineColumns));
            section.appendChild(table("bands", tables.bandColumns, block.bands, bandColumns));
            section.appendChild(make("p", "sum", block.sum));
            out.appendChild(section);
        }
        for (const total of tables.totals) {
            out.appendChild(make("p", "sum", total));
        }
        if (tables.skipped) {
            const section = make("section", "skipped");
            section.appendChild(make("h3", null, tables.skipped.caption));
            const reasons = make("ul");
            for (const [reason, count] of tables.skipped.reasons) {
                reasons.appendChild(make("li", null, `${reason}: ${count}`));
            }
            section.appendChild(reasons);
            if (tables.skipped.lines.length > 0) {
                section.appendChild(table("skipped-lines", tables.skipped.columns, tables.skipped.lines,
                    skippedColumns));
            }
            out.appendChild(section);
        }
    }

    // ---- Printing: the whole report, every table's every line -----------------

    function beforePrint() {
        for (const paged of pagedTables) {
            if (paged.pager) {
                fill(paged, true);
            }
        }
    }

    function afterPrint() {
        for (const paged of pagedTables) {
            if (paged.pager) {
                fill(paged, false);
            }
        }
    }

    // ---- Files chosen or dropped ------------------------------------------------

    function choose(files, folders) {
        logs = Array.from(files, (file, i) => ({ file, folder: folders ? folders[i] : false }));
        makeReport();
    }

    function listen() {
        const input = byId("logfiles");
        input.addEventListener("change", () => choose(input.files));
        // A file dropped anywhere on the page is a logbook to read, never a
        // page the browser opens in place of this one.
        document.addEventListener("dragover", (event) => {
            if (event.dataTransfer && Array.from(event.dataTransfer.types).includes("Files")) {
                event.preventDefault();
                event.dataTransfer.dropEffect = "copy";
                byId("dropzone").classList.add("over");
            }
        });
        document.addEventListener("dragleave", (event) => {
            if (event.relatedTarget === null) {
                byId("dropzone").classList.remove("over");
            }
        });
        document.addEventListener("drop", (event) => {
            if (!event.dataTransfer || event.dataTransfer.files.length === 0) {
                return;
            }
            event.preventDefault();
            byId("dropzone").classList.remove("over");
            // A folder dropped among the files cannot be read as a logbook.
            const items = Array.from(event.dataTransfer.items || []).filter((i) => i.kind === "file");
            const folders = Array.from(event.dataTransfer.files, (_, i) => {
                const entry = items[i] && items[i].webkitGetAsEntry ? items[i].webkitGetAsEntry() : null;
                return entry ? entry.isDirectory : false;
            });
            choose(event.dataTransfer.files, folders);
        });
        for (const id of ["unique", "nosat", "confirmed", "band", "own"]) {
            byId(id).addEventListener("change", () => makeReport());
        }
        byId("print-report").addEventListener("click", () => window.print());
        window.addEventListener("beforeprint", beforePrint);
        window.addEventListener("afterprint", afterPrint);
    }

    // Starts the worker once the window is open; `show` brings the logbook
    // into view when a report is made.
    page.start = (showLogbook) => {
        hooks.show = showLogbook;
        listen();
        // The module and the worker's script stand after the page's scripts.
        const parsed = new Promise((resolve) => {
            if (document.readyState === "loading") {
                document.addEventListener("DOMContentLoaded", resolve);
            } else {
                resolve();
            }
        });
        workerReady = parsed.then(compile).then((compiled) => {
            module = compiled;
            return startWorker();
        });
        return workerReady;
    };

    return page;
})();
