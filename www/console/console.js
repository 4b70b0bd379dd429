// The request console: log in as the web page does ("/1000" with the MD5 of
// the password), pick a code from the registry (registry.json, written by
// nvrapi --json), send it to webreq and show the exact reply together with
// the messages the simulated core received meanwhile (corejournal.cgi).
// Every value from the registry or a reply is shown as text, never as markup.
"use strict";

const WEBREQ = "/cgi-bin/webreq.cgi";
const JOURNAL = "/cgi-bin/corejournal.cgi";
const REPLY_SHOWN = 65536;  // characters of a reply shown (downloads can be large)
const PAYLOAD_SHOWN = 96;   // hex digits of a core message shown in the table

let registry = null;
let current = null;  // the code row shown

const $ = (id) => document.getElementById(id);

function el(tag, text, cls) {
    const e = document.createElement(tag);
    if (text !== undefined) e.textContent = text;
    if (cls) e.className = cls;
    return e;
}

// ---- log in --------------------------------------------------------------

async function login(event) {
    event.preventDefault();
    const user = $("login-user").value;
    const body = JSON.stringify({userName: user, md5: md5hex($("login-password").value)});
    $("login-result").textContent = "logging in...";
    $("login-result").className = "note";
    let answer;
    try {
        const res = await fetch(WEBREQ + "/1000", {method: "POST", headers: {"Content-Type": "application/json"}, body});
        answer = JSON.parse(await res.text());
    } catch (e) {
        $("login-result").textContent = "no usable answer from /1000: " + e;
        $("login-result").className = "error";
        return;
    }
    // type -1: unknown user or wrong password; -2: a user that may not log in.
    if (typeof answer.type !== "number" || answer.type < 0) {
        $("login-result").textContent = "login refused (type " + answer.type + ")";
        $("login-result").className = "error";
        return;
    }
    sessionStorage.setItem("session", JSON.stringify({user: answer.userName, sessionId: answer.sessionId}));
    await enterConsole(answer.userName);
}

async function enterConsole(user) {
    $("who").textContent = "logged in as " + user;
    $("login-view").hidden = true;
    $("console-view").hidden = false;
    try {
        const res = await fetch("registry.json", {cache: "no-store"});
        registry = await res.json();
    } catch (e) {
        $("codes-count").textContent = "registry.json could not be read: " + e;
        $("codes-count").className = "error";
        return;
    }
    renderCodes();
}

// ---- the codes -------------------------------------------------------------

const UNDOCUMENTED = "(not documented yet)";

function matches(row, words) {
    const hay = [row.code, row.summary, row.form, row.sends, row.reply].filter(Boolean).join(" ").toLowerCase();
    return words.every((w) => hay.includes(w));
}

function renderCodes() {
    const words = $("search").value.toLowerCase().split(/\s+/).filter(Boolean);
    const list = $("codes");
    list.replaceChildren();
    let shown = 0;
    for (const module of registry.modules) {
        const rows = module.codes.filter((row) => matches(row, words));
        if (!rows.length) continue;
        list.append(el("h4", module.order + ". " + module.name + " (" + rows.length + ")"));
        for (const row of rows) {
            const a = el("a");
            a.dataset.code = row.code;
            a.append(el("span", row.code, "code"), el("span", row.summary || UNDOCUMENTED, "summary"));
            a.addEventListener("click", () => pick(row, a));
            if (current && current.code === row.code) a.classList.add("current");
            list.append(a);
            shown++;
        }
    }
    $("codes-count").textContent = shown + " of " + registry.count + " codes";
}

// The member names of a documented form "{enable?, ip?, chn: {x, y}}": the
// top-level names only.
function formMembers(form) {
    if (!form || form[0] !== "{") return null;
    const inner = form.slice(1, form.lastIndexOf("}"));
    const names = [];
    let depth = 0, part = "";
    for (const ch of inner + ",") {
        if ("{[(".includes(ch)) depth++;
        if ("}])".includes(ch)) depth--;
        if (ch === "," && depth === 0) {
            const m = part.trim().match(/^"?([A-Za-z_][A-Za-z0-9_]*)/);
            if (m) names.push(m[1]);
            part = "";
        } else {
            part += ch;
        }
    }
    return names;
}

function pick(row, link) {
    current = row;
    document.querySelectorAll("#codes a.current").forEach((a) => a.classList.remove("current"));
    if (link) link.classList.add("current");
    $("code-title").textContent = row.code + " - " + (row.summary || UNDOCUMENTED);
    const ref = $("code-reference");
    ref.replaceChildren();
    for (const [label, value] of [["takes", row.input], ["request", row.form], ["core messages", row.sends],
                                  ["reply (" + row.replyKind + ")", row.reply], ["refused", row.refused]]) {
        ref.append(el("dt", label), el("dd", value || UNDOCUMENTED));
    }
    $("code").value = row.code;
    const members = formMembers(row.form);
    if (row.input === "json") {
        $("method").value = "POST";
        const obj = {};
        for (const name of members || []) obj[name] = 0;
        $("request-text").value = JSON.stringify(obj, null, 2);
    } else {
        $("method").value = "GET";
        $("request-text").value = "";
        $("request-text").placeholder = row.form && row.form !== "-" ? row.form : "(no request text)";
    }
}

// ---- sending -----------------------------------------------------------------

// The query as the web page sends it: the text as written, with only what a
// URL cannot carry escaped (quotes become "%22", which webreq turns back).
function queryOf(text) {
    let out = "";
    for (const ch of text) {
        if (ch === '"' || ch === " " || ch === "#" || ch === "\n" || ch === "\r" || ch === "\t" || ch > "~")
            out += encodeURIComponent(ch).replace(/'/g, "%27");
        else out += ch;
    }
    return out;
}

async function journalEnd() {
    try {
        const res = await fetch(JOURNAL, {cache: "no-store"});
        return (await res.json()).end;
    } catch (e) {
        return null;
    }
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The events from byte `from` on. Notices are sent without waiting, so the
// journal can grow a little after the reply: asked until it stays still.
async function journalSince(from) {
    const events = [];
    let quiet = 0;
    for (let round = 0; round < 20 && quiet < 2; round++) {
        await sleep(150);
        const res = await fetch(JOURNAL + "?from=" + from, {cache: "no-store"});
        const part = await res.json();
        if (part.events.length) quiet = 0;
        else quiet++;
        events.push(...part.events);
        from = part.end;
    }
    return events;
}

function showEvents(events) {
    const body = document.querySelector("#core tbody");
    body.replaceChildren();
    for (const ev of events) {
        if (ev.event !== "message" && ev.event !== "reply") continue;
        const tr = el("tr", undefined, ev.event);
        for (const v of [ev.time, ev.conn, ev.event, ev.id, ev.size]) tr.append(el("td", v === undefined ? "" : String(v)));
        // A long payload (a reply of many records) is cut; the whole is its tooltip.
        const payload = ev.payload || "";
        const cell = el("td", payload.length > PAYLOAD_SHOWN ? payload.slice(0, PAYLOAD_SHOWN) + " ..." : payload,
                        "payload");
        if (payload.length > PAYLOAD_SHOWN) cell.title = payload;
        tr.append(cell);
        body.append(tr);
    }
    const received = events.filter((ev) => ev.event === "message").map((ev) => ev.id);
    $("core-note").textContent = received.length ? "received: " + received.join(", ") : "the core received no message";
}

async function send(event) {
    event.preventDefault();
    const code = $("code").value.trim();
    if (!/^\/[A-Za-z0-9.]{1,6}$/.test(code)) {
        $("reply-status").textContent = "not a request code: " + code;
        return;
    }
    const method = $("method").value;
    const text = $("request-text").value;
    const url = WEBREQ + code + (method === "GET" && text ? "?" + queryOf(text) : "");
    const init = method === "POST" ? {method, headers: {"Content-Type": "application/json"}, body: text} : {method};
    $("send").disabled = true;
    $("reply").textContent = "";
    $("reply-status").textContent = method + " " + url + " ...";
    document.querySelector("#core tbody").replaceChildren();
    $("core-note").textContent = "";
    const from = await journalEnd();
    try {
        const res = await fetch(url, init);
        const body = await res.text();
        $("reply-status").textContent = method + " " + url + ": " + res.status + " " + res.statusText + ", " +
            (res.headers.get("Content-Type") || "no content type") + ", " + body.length + " characters";
        $("reply").textContent = body.length > REPLY_SHOWN ? body.slice(0, REPLY_SHOWN) + "\n[... cut]" : body;
        $("reply").dataset.code = code;
        if (from === null) $("core-note").textContent = "the core journal cannot be read";
        else showEvents(await journalSince(from));
    } catch (e) {
        $("reply-status").textContent = method + " " + url + ": failed: " + e;
    } finally {
        $("send").disabled = false;
    }
}

document.addEventListener("DOMContentLoaded", () => {
    $("login-form").addEventListener("submit", login);
    $("send-form").addEventListener("submit", send);
    $("search").addEventListener("input", () => registry && renderCodes());
    const saved = sessionStorage.getItem("session");
    if (saved) enterConsole(JSON.parse(saved).user);
});
