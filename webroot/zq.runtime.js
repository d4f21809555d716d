/**
 * zq.runtime.js - client runtime of the zqjq host (page scripts).
 *
 * The host links this file into every page it renders, before any other
 * script. It offers the functions the generated page script calls:
 *
 *   executeAjaxEvent(url, obj, callbackName, flag, done, flag)
 *                            queued ajax callback: one in flight per page,
 *                            responses applied in order (updates, then scripts)
 *   SubmitClickConfirm(name, param, doValidation, confirmText)
 *                            full submit of the page on behalf of a control
 *   FormDefaultSubmit()      the submit form's onsubmit handler
 *   AddChangedControl(name)  sends that input with the next callbacks, until one succeeds
 *   ZQSetHiddenInputVal(name, value|array)
 *   OnControlContentChange(event)
 *   NewIWCL(parent, htmlName, flag), Release_IWCL(obj), ZQRelease_IWCL(name),
 *   IWCLForm                 client objects
 *   ZQShowAndHide(selector, delay, showOptions, hideOptions)
 *   SetFocusOnElement(element), getSubmitForm()
 *   ZQSendLargeDataToUrl([{name, value}, ...], url)
 *   ZQFilterLoadedFiles(list, css), LazyLoad.css(list, cb), LazyLoad.js(list, cb),
 *   AddLinkTags(url), AddScriptTags(url)
 *   Body_OnResize(event), ReleaseLock()
 *   GEventIndicators         table of event name -> lock indicator item
 *   debug.log / debug.warn / debug.error / debug.info
 *
 * Hooks a page may define (the lock indicator does): PreAsyncProgressScript /
 * PostAsyncProgressScript around callbacks (when PreAsyncScript / PostAsyncScript
 * are true) and PreProgressScript / PostProgressScript around submits (when
 * PreScript / PostScript are true); each is called as (params, handler).
 *
 * The wire format is described in docs/protocol.md.
 */

/* Table filled by generated page script: "<HTML name>.<event>" -> indicator item. */
var GEventIndicators = window.GEventIndicators || {};

/* Console wrapper; calls are harmless where there is no console. */
var debug = window.debug || (function () {
  "use strict";
  function make(kind) {
    return function () {
      var c = window.console;
      if (c && typeof c[kind] === "function") {
        c[kind].apply(c, arguments);
      } else if (c && typeof c.log === "function") {
        c.log.apply(c, arguments);
      }
    };
  }
  return { log: make("log"), warn: make("warn"), error: make("error"), info: make("info") };
})();

/* Texts shown to the user; a page may replace them. */
var ZQExpiredSessionMessage = window.ZQExpiredSessionMessage ||
  "Your session has expired. The page will be reloaded.";

var executeAjaxEvent, SubmitClickConfirm, FormDefaultSubmit, AddChangedControl,
  ZQSetHiddenInputVal, OnControlContentChange, NewIWCL, Release_IWCL, ZQRelease_IWCL,
  IWCLForm, ZQShowAndHide, SetFocusOnElement, getSubmitForm, ZQSendLargeDataToUrl,
  ZQFilterLoadedFiles, LazyLoad, AddLinkTags, AddScriptTags, Body_OnResize, ReleaseLock;

(function (window, document) {
  "use strict";

  var globalEval = eval; // indirect: runs response scripts in the global scope

  /* ---------------------------------------------------------------- helpers */

  getSubmitForm = function () {
    return document.getElementById("SubmitForm") ||
      (document.forms && (document.forms.SubmitForm || document.forms[0])) || null;
  };

  function sessionToken() {
    if (typeof window.GZQToken === "string" && window.GZQToken !== "") {
      return window.GZQToken;
    }
    var form = getSubmitForm();
    var input = form && form.querySelector("input[name='ZQ_TOKEN']");
    return input ? input.value : "";
  }

  function callbackUrl() {
    return typeof window.GZQCallbackUrl === "string" && window.GZQCallbackUrl !== ""
      ? window.GZQCallbackUrl : "/$/callback";
  }

  function encodePair(name, value) {
    return encodeURIComponent(name) + "=" + encodeURIComponent(value == null ? "" : String(value));
  }

  /* Text of an XML element: all its text and CDATA pieces joined. */
  function xmlText(node) {
    var s = "";
    for (var c = node.firstChild; c; c = c.nextSibling) {
      if (c.nodeType === 3 || c.nodeType === 4) {
        s += c.nodeValue;
      }
    }
    return s;
  }

  function callHook(enabled, fn, params, handler) {
    if (window[enabled] && typeof window[fn] === "function") {
      try {
        window[fn](params, handler);
      } catch (err) {
        debug.error(fn + ": " + (err && err.message ? err.message : err));
      }
    }
  }

  function escapeAttr(s) {
    return String(s).replace(/&/g, "&amp;").replace(/"/g, "&quot;")
      .replace(/</g, "&lt;").replace(/>/g, "&gt;");
  }

  function absoluteUrl(url) {
    try {
      return new URL(url, document.baseURI).href;
    } catch (err) {
      return String(url);
    }
  }

  /* ------------------------------------------------------- changed inputs */

  // Names in the order they were marked, each once. A callback sends them and
  // they stay listed until a reply succeeds (status 200): after a network
  // error or another status they go with the next callback again. markedAt
  // tells the latest mark of each name, so that a name marked again while its
  // callback was on its way stays listed for its new value.
  var changed = [];
  var marks = 0;
  var markedAt = Object.create(null);

  AddChangedControl = function (name) {
    if (name == null || name === "") {
      return;
    }
    name = String(name);
    markedAt[name] = ++marks;
    if (changed.indexOf(name) < 0) {
      changed.push(name);
    }
  };

  // The server has the values sent up to mark number `upTo`.
  function dropSentChanges(upTo) {
    changed = changed.filter(function (name) {
      if (markedAt[name] > upTo) {
        return true;
      }
      delete markedAt[name];
      return false;
    });
  }

  function clearChanges() {
    changed = [];
    markedAt = Object.create(null);
  }

  /* The current name=value pairs of the inputs named `name` (or with that ID). */
  function inputPairs(name) {
    var pairs = [];
    var els = document.getElementsByName(name);
    if (!els || els.length === 0) {
      var byId = document.getElementById(name);
      els = byId ? [byId] : [];
    }
    for (var i = 0; i < els.length; i++) {
      var el = els[i];
      var key = el.name || name;
      var tag = el.tagName ? el.tagName.toLowerCase() : "";
      var type = (el.type || "").toLowerCase();
      if (tag === "select" && el.multiple) {
        for (var j = 0; j < el.options.length; j++) {
          if (el.options[j].selected) {
            pairs.push([key, el.options[j].value]);
          }
        }
      } else if (type === "checkbox") {
        pairs.push([key, el.checked ? (el.value || "on") : ""]);
      } else if (type === "radio") {
        if (el.checked) {
          pairs.push([key, el.value]);
        }
      } else if (type === "file") {
        continue; // files travel with submits and uploads only
      } else if ("value" in el) {
        pairs.push([key, el.value]);
      } else {
        pairs.push([key, el.textContent]);
      }
    }
    return pairs;
  }

  ZQSetHiddenInputVal = function (name, value) {
    var form = getSubmitForm();
    if (!form) {
      debug.error("ZQSetHiddenInputVal: the page has no submit form");
      return;
    }
    var text = Array.isArray(value) ? value.join(",") : (value == null ? "" : String(value));
    var input = null;
    var found = form.querySelectorAll("input");
    for (var i = 0; i < found.length; i++) {
      if (found[i].name === name) {
        input = found[i];
        break;
      }
    }
    if (!input) {
      input = document.createElement("input");
      input.type = "hidden";
      input.name = name;
      form.appendChild(input);
    }
    input.value = text;
    AddChangedControl(name);
  };

  OnControlContentChange = function (e) {
    var target = e && (e.target || e.srcElement);
    if (target && (target.name || target.id)) {
      AddChangedControl(target.name || target.id);
    }
    return true;
  };

  /* ------------------------------------------------- request queue (page) */

  var queue = [];      // pending callbacks and submits, in call order
  var busy = false;    // a callback is in flight or a submit has been sent
  var submitting = false;

  function pump() {
    if (busy || queue.length === 0) {
      return;
    }
    var task = queue.shift();
    busy = true;
    if (task.kind === "submit") {
      runSubmit(task);
    } else {
      runCallback(task);
    }
  }

  function finishTask() {
    busy = false;
    // a later call made by a response script is queued already; send it now
    window.setTimeout(pump, 0);
  }

  /* ------------------------------------------------------------ callbacks */

  executeAjaxEvent = function (url, obj, callbackName, flag, done, append) {
    queue.push({
      kind: "callback",
      url: url == null ? "" : String(url),
      obj: obj,
      name: String(callbackName),
      done: typeof done === "function" ? done : null
    });
    pump();
    return false;
  };

  function callbackBody(task) {
    var parts = [];
    var fragment = task.url.replace(/^[?&]+/, "");
    if (fragment !== "") {
      parts.push(fragment);
    }
    var names = changed.slice();
    task.sentUpTo = marks;
    for (var i = 0; i < names.length; i++) {
      var pairs = inputPairs(names[i]);
      for (var j = 0; j < pairs.length; j++) {
        parts.push(encodePair(pairs[j][0], pairs[j][1]));
      }
    }
    parts.push(encodePair("ZQ_TOKEN", sessionToken()));
    return parts.join("&");
  }

  function runCallback(task) {
    var body = callbackBody(task);
    callHook("PreAsyncScript", "PreAsyncProgressScript", task.url, task.name);
    var xhr = new XMLHttpRequest();
    var ended = false;
    function end() {
      if (ended) {
        return;
      }
      ended = true;
      callHook("PostAsyncScript", "PostAsyncProgressScript", task.url, task.name);
      finishTask();
    }
    xhr.open("POST", callbackUrl() + "?callback=" + encodeURIComponent(task.name), true);
    xhr.setRequestHeader("Content-Type", "application/x-www-form-urlencoded; charset=UTF-8");
    xhr.onload = function () {
      try {
        handleCallbackReply(task, xhr);
      } catch (err) {
        debug.error("Callback " + task.name + ": " + (err && err.message ? err.message : err));
      } finally {
        end();
      }
    };
    xhr.onerror = function () {
      debug.error("Callback " + task.name + ": the server could not be reached");
      end();
    };
    xhr.onabort = end;
    xhr.ontimeout = xhr.onerror;
    xhr.send(body);
  }

  function responseDocument(xhr) {
    var doc = xhr.responseXML;
    if ((!doc || !doc.documentElement) && xhr.responseText) {
      doc = new DOMParser().parseFromString(xhr.responseText, "text/xml");
    }
    if (!doc || !doc.documentElement || doc.getElementsByTagName("parsererror").length) {
      return null;
    }
    return doc;
  }

  function handleCallbackReply(task, xhr) {
    var status = xhr.status;
    if (status === 410) {
      window.alert(ZQExpiredSessionMessage);
      window.location.reload();
      return;
    }
    if (status === 403) {
      debug.error("Callback " + task.name + " refused: " + xhr.responseText);
      return;
    }
    var doc = responseDocument(xhr);
    if (status === 200) {
      dropSentChanges(task.sentUpTo);
    } else {
      var errs = doc ? doc.getElementsByTagName("error") : [];
      var msg = errs.length ? xmlText(errs[0]) : xhr.responseText;
      debug.error("Callback " + task.name + " failed (" + status + "): " + msg);
      return;
    }
    if (!doc) {
      debug.error("Callback " + task.name + ": the response is not valid XML");
      return;
    }
    applyResponse(doc);
    if (task.done) {
      task.done(task.obj);
    }
  }

  /* Updates first, each replacing the element of its ID, then the scripts in order. */
  function applyResponse(doc) {
    var root = doc.documentElement;
    var updates = root.getElementsByTagName("update");
    for (var i = 0; i < updates.length; i++) {
      var id = updates[i].getAttribute("id");
      var el = id ? document.getElementById(id) : null;
      if (!el) {
        debug.warn("Callback response: no element with ID \"" + id + "\"");
        continue;
      }
      el.outerHTML = xmlText(updates[i]);
    }
    var controls = root.getElementsByTagName("control");
    for (var c = 0; c < controls.length; c++) {
      applyControl(controls[c]);
    }
    var scripts = root.getElementsByTagName("execute");
    for (var k = 0; k < scripts.length; k++) {
      var code = xmlText(scripts[k]);
      try {
        globalEval(code);
      } catch (err) {
        debug.error("Response script failed: " + (err && err.message ? err.message : err) +
          "\n" + code);
      }
    }
  }

  /* A refreshed control's state: each style declaration set on its own, then
     visibility and the enabled state. An absent attribute changes nothing. */
  function applyControl(node) {
    var id = node.getAttribute("id");
    var el = id ? document.getElementById(id) : null;
    if (!el) {
      debug.warn("Callback response: no element with ID \"" + id + "\"");
      return;
    }
    var style = node.getAttribute("style");
    if (style) {
      var decls = style.split(";");
      for (var i = 0; i < decls.length; i++) {
        var colon = decls[i].indexOf(":");
        if (colon <= 0) {
          continue;
        }
        var prop = decls[i].substring(0, colon).trim();
        var value = decls[i].substring(colon + 1).trim();
        el.style.setProperty(prop, value);
      }
    }
    var visible = node.getAttribute("visible");
    if (visible !== null) {
      el.style.visibility = visible === "true" ? "" : "hidden";
    }
    var enabled = node.getAttribute("enabled");
    if (enabled !== null) {
      if (enabled === "true") {
        el.removeAttribute("disabled");
      } else {
        el.setAttribute("disabled", "disabled");
      }
    }
  }

  /* -------------------------------------------------------------- submits */

  function setFormValue(form, name, value) {
    var input = form.querySelector("input[name='" + name + "']");
    if (!input) {
      input = document.createElement("input");
      input.type = "hidden";
      input.name = name;
      form.appendChild(input);
    }
    input.value = value;
  }

  SubmitClickConfirm = function (name, param, doValidation, confirmText) {
    if (submitting) {
      return false; // the page is being replaced already
    }
    if (confirmText && !window.confirm(confirmText)) {
      return false;
    }
    var form = getSubmitForm();
    if (!form) {
      debug.error("SubmitClickConfirm: the page has no submit form");
      return false;
    }
    if (doValidation && typeof form.checkValidity === "function" && !form.checkValidity()) {
      if (typeof form.reportValidity === "function") {
        form.reportValidity();
      }
      return false;
    }
    submitting = true;
    queue.push({
      kind: "submit",
      name: name == null ? "" : String(name),
      param: param === false || param == null ? "" : String(param)
    });
    pump();
    return false;
  };

  function runSubmit(task) {
    var form = getSubmitForm();
    setFormValue(form, "ZQ_SUBMITTER", task.name);
    setFormValue(form, "ZQ_SUBMITPARAM", task.param);
    setFormValue(form, "ZQ_TOKEN", sessionToken());
    var files = form.querySelectorAll("input[type='file']");
    form.enctype = files.length ? "multipart/form-data" : "application/x-www-form-urlencoded";
    form.method = "POST";
    clearChanges();  // a submit posts every input
    callHook("PreScript", "PreProgressScript", task.param, task.name);
    document.documentElement.style.cursor = "wait";
    // the prototype's submit: not the form's onsubmit, nor an input named "submit"
    HTMLFormElement.prototype.submit.call(form);
  }

  FormDefaultSubmit = function () {
    // Enter in an input: submit the page as the browser would, through the queue
    SubmitClickConfirm("", false, true, "");
    return false;
  };

  ReleaseLock = function () {
    // the wait cursor of a running submit; a lock indicator shows its own
    document.documentElement.style.cursor = "";
  };

  window.addEventListener("pageshow", function (e) {
    if (e.persisted) { // back from the page cache: the old submit is over
      submitting = false;
      busy = false;
      queue = [];
      ReleaseLock();
    }
  });

  /* ------------------------------------------------------- client objects */

  var clientObjects = {}; // HTML name -> client object

  function ClientObject(parent, htmlName) {
    this.HTMLName = htmlName;
    this.parent = parent || null;
    this.children = [];
  }
  ClientObject.prototype.element = function () {
    return document.getElementById(this.HTMLName);
  };

  NewIWCL = function (parent, htmlName, flag) {
    htmlName = String(htmlName);
    var old = clientObjects[htmlName];
    if (old) {
      Release_IWCL(old);
    }
    var obj = new ClientObject(parent, htmlName);
    clientObjects[htmlName] = obj;
    if (parent && parent.children) {
      parent.children.push(obj);
    }
    return obj;
  };

  Release_IWCL = function (obj) {
    if (!obj || !(obj instanceof ClientObject)) {
      return;
    }
    var kids = obj.children.slice();
    for (var i = 0; i < kids.length; i++) {
      Release_IWCL(kids[i]);
    }
    if (typeof obj.OnZQRelease === "function") {
      try {
        obj.OnZQRelease();
      } catch (err) {
        debug.error("Release of " + obj.HTMLName + ": " + err.message);
      }
    }
    if (obj.parent && obj.parent.children) {
      var at = obj.parent.children.indexOf(obj);
      if (at >= 0) {
        obj.parent.children.splice(at, 1);
      }
    }
    if (clientObjects[obj.HTMLName] === obj) {
      delete clientObjects[obj.HTMLName];
    }
    if (window[obj.HTMLName + "IWCL"] === obj) {
      window[obj.HTMLName + "IWCL"] = null;
    }
    obj.children = [];
    obj.parent = null;
  };

  /* By the client object's variable name ("BTN1IWCL") or by the HTML name. */
  ZQRelease_IWCL = function (name) {
    name = String(name);
    var obj = window[name];
    if (!(obj instanceof ClientObject)) {
      obj = clientObjects[name] || clientObjects[name.replace(/IWCL$/, "")];
    }
    if (obj) {
      Release_IWCL(obj);
    }
    if (/IWCL$/.test(name) && window[name] === obj) {
      window[name] = null;
    }
  };

  IWCLForm = new ClientObject(null, "SubmitForm");

  /* ------------------------------------------------------------- elements */

  function findElement(target) {
    if (!target) {
      return null;
    }
    if (typeof target === "string") {
      return target.charAt(0) === "#"
        ? document.getElementById(target.substring(1))
        : document.getElementById(target);
    }
    if (target.jquery) {
      return target.length ? target[0] : null;
    }
    return target.nodeType === 1 ? target : null;
  }

  SetFocusOnElement = function (target) {
    var el = findElement(target);
    if (el && typeof el.focus === "function") {
      try {
        el.focus();
      } catch (err) {
        debug.warn("SetFocusOnElement: " + err.message);
      }
    }
  };

  /* Shows the element, then hides it after `delay` ms (no hiding when delay <= 0). */
  ZQShowAndHide = function (selector, delay, showOptions, hideOptions) {
    var jq = window.jQuery;
    if (jq) {
      var $el = jq(selector);
      $el.show(showOptions || {});
      if (delay > 0) {
        window.setTimeout(function () { $el.hide(hideOptions || {}); }, delay);
      }
      return;
    }
    var el = findElement(selector);
    if (!el) {
      return;
    }
    el.style.display = "";
    if (delay > 0) {
      window.setTimeout(function () { el.style.display = "none"; }, delay);
    }
  };

  /* Calls the resize hooks of every client object (see the jQuery containers). */
  Body_OnResize = function (event) {
    var names = Object.keys(clientObjects);
    for (var i = 0; i < names.length; i++) {
      var obj = clientObjects[names[i]];
      try {
        if (typeof obj.OnZQBeforeResize === "function") {
          obj.OnZQBeforeResize();
        }
        if (typeof obj.OnZQResize === "function") {
          var el = obj.element();
          obj.OnZQResize(el ? el.getBoundingClientRect() : null);
        }
        if (typeof obj.OnZQAfterResize === "function") {
          obj.OnZQAfterResize();
        }
      } catch (err) {
        debug.error("Resize of " + obj.HTMLName + ": " + err.message);
      }
    }
    return true;
  };

  /* ------------------------------------------------------------ large data */

  /* Posts [{name, value}, ...] (or [[name, value], ...]) to url as form fields. */
  ZQSendLargeDataToUrl = function (data, url, done) {
    var parts = [];
    var list = Array.isArray(data) ? data : [];
    if (!Array.isArray(data) && data && typeof data === "object") {
      Object.keys(data).forEach(function (k) { list.push({ name: k, value: data[k] }); });
    }
    for (var i = 0; i < list.length; i++) {
      var item = list[i];
      if (Array.isArray(item)) {
        parts.push(encodePair(item[0], item[1]));
      } else if (item && item.name != null) {
        parts.push(encodePair(item.name, item.value));
      }
    }
    var xhr = new XMLHttpRequest();
    xhr.open("POST", url, true);
    xhr.setRequestHeader("Content-Type", "application/x-www-form-urlencoded; charset=UTF-8");
    xhr.setRequestHeader("X-ZQ-Token", sessionToken());
    xhr.onload = function () {
      if (xhr.status !== 200) {
        debug.error("ZQSendLargeDataToUrl " + url + ": " + xhr.status + " " + xhr.responseText);
      }
      if (typeof done === "function") {
        done(xhr);
      }
    };
    xhr.onerror = function () {
      debug.error("ZQSendLargeDataToUrl " + url + ": the server could not be reached");
    };
    xhr.send(parts.join("&"));
    return xhr;
  };

  /* ------------------------------------------------------------ lazy load */

  var loaded = {}; // absolute URL -> true, for files this runtime loaded

  function isLoaded(url, css) {
    var abs = absoluteUrl(url);
    if (loaded[abs]) {
      return true;
    }
    var els = css ? document.querySelectorAll("link[href]") : document.querySelectorAll("script[src]");
    for (var i = 0; i < els.length; i++) {
      var ref = css ? els[i].href : els[i].src;
      if (ref === abs && (!css || /stylesheet/i.test(els[i].rel || ""))) {
        return true;
      }
    }
    return false;
  }

  ZQFilterLoadedFiles = function (list, css) {
    var out = [];
    var seen = {};
    (list || []).forEach(function (url) {
      var abs = absoluteUrl(url);
      if (!seen[abs] && !isLoaded(url, css)) {
        seen[abs] = true;
        out.push(url);
      }
    });
    return out;
  };

  /* Loads the files one after the other (scripts keep their order), then calls back. */
  function loadAll(list, css, callback) {
    var files = (list || []).slice();
    function next() {
      if (files.length === 0) {
        if (typeof callback === "function") {
          callback();
        }
        return;
      }
      var url = files.shift();
      if (isLoaded(url, css)) {
        next();
        return;
      }
      var el;
      if (css) {
        el = document.createElement("link");
        el.rel = "stylesheet";
        el.type = "text/css";
        el.href = url;
      } else {
        el = document.createElement("script");
        el.type = "text/javascript";
        el.async = false;
        el.src = url;
      }
      el.onload = function () {
        loaded[absoluteUrl(url)] = true;
        next();
      };
      el.onerror = function () {
        debug.error("LazyLoad: could not load " + url);
        next();
      };
      document.head.appendChild(el);
    }
    next();
  }

  LazyLoad = window.LazyLoad || {
    css: function (list, callback) { loadAll(list, true, callback); },
    js: function (list, callback) { loadAll(list, false, callback); }
  };

  /* Tag text for a file not in the page yet; "" when it is there already. */
  AddLinkTags = function (url) {
    if (isLoaded(url, true)) {
      return "";
    }
    return "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + escapeAttr(url) + "\">";
  };

  AddScriptTags = function (url) {
    if (isLoaded(url, false)) {
      return "";
    }
    return "<script type=\"text/javascript\" src=\"" + escapeAttr(url) + "\"></" + "script>";
  };

  /* Test access to the queue state (not part of the page contract). */
  window.ZQRuntimeState = function () {
    return { pending: queue.length, busy: busy, submitting: submitting, changed: changed.slice() };
  };
})(window, document);
