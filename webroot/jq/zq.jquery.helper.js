/*
 * zq.jquery.helper.js - the library's client helper for jQuery containers.
 *
 * Resize hooks. A control's client object (window[HTMLNAME + "IWCL"]) may
 * carry three functions, set by the page script the server writes:
 *   OnZQBeforeResize()   before the element changes size
 *   OnZQResize(ARect)    while / after it changes; ARect is
 *                        {left, top, width, height} of the element in pixels
 *                        (position relative to its offset parent, outer size)
 *   OnZQAfterResize()    once the change is over
 * They are called
 *   - when the user resizes the element with a jQuery UI resizable
 *     (resizestart -> before, resize -> resize, resizestop -> resize + after);
 *   - when the browser window changes size (debounced: one before / resize /
 *     after sequence per burst of window resize events), for every element of
 *     the page whose client object has a hook;
 *   - when script calls ZQResizeControl("HTMLNAME").
 * An exception in a hook is reported on the debug console and does not stop
 * the others.
 *
 * Reads: jQuery as ZQJQuery or $, the client objects "NAMEIWCL", debug.error
 * (zq.runtime.js), $.debounce when the throttle-debounce plug-in is loaded.
 */
/* global jQuery, debug */
var ZQResizeControl, ZQControlRect;

(function (window, document, $) {
  "use strict";

  if (!$) {
    return;
  }

  function clientObject(htmlName) {
    var obj = window[String(htmlName) + "IWCL"];
    return obj && typeof obj === "object" ? obj : null;
  }

  ZQControlRect = function (elem) {
    var $e = $(elem);
    var pos = $e.position() || { left: 0, top: 0 };
    return {
      left: Math.round(pos.left),
      top: Math.round(pos.top),
      width: Math.round($e.outerWidth()),
      height: Math.round($e.outerHeight())
    };
  };

  function call(obj, hook, arg) {
    if (!obj || typeof obj[hook] !== "function") {
      return;
    }
    try {
      obj[hook](arg);
    } catch (err) {
      if (window.debug && typeof debug.error === "function") {
        debug.error(hook + " of " + (obj.HTMLName || "?") + ": " + (err && err.message));
      }
    }
  }

  function hasHooks(obj) {
    return obj && (typeof obj.OnZQBeforeResize === "function" || typeof obj.OnZQResize === "function" ||
      typeof obj.OnZQAfterResize === "function");
  }

  ZQResizeControl = function (htmlName) {
    var elem = document.getElementById(String(htmlName));
    var obj = clientObject(htmlName);
    if (!elem || !obj) {
      return false;
    }
    call(obj, "OnZQBeforeResize");
    call(obj, "OnZQResize", ZQControlRect(elem));
    call(obj, "OnZQAfterResize");
    return true;
  };

  // Resizing with a jQuery UI resizable: the events bubble from the element.
  $(document).on("resizestart", ".ui-resizable", function (e) {
    if (e.target === this) {
      call(clientObject(this.id), "OnZQBeforeResize");
    }
  });
  $(document).on("resize", ".ui-resizable", function (e) {
    if (e.target === this) {
      call(clientObject(this.id), "OnZQResize", ZQControlRect(this));
    }
  });
  $(document).on("resizestop", ".ui-resizable", function (e) {
    if (e.target === this) {
      var obj = clientObject(this.id);
      call(obj, "OnZQResize", ZQControlRect(this));
      call(obj, "OnZQAfterResize");
    }
  });

  // The window: one sequence per burst of resize events.
  function resizeAll() {
    var elems = document.querySelectorAll("[id]");
    for (var i = 0; i < elems.length; i++) {
      if (hasHooks(clientObject(elems[i].id))) {
        ZQResizeControl(elems[i].id);
      }
    }
  }
  var onWindowResize;
  if (typeof $.debounce === "function") {
    onWindowResize = $.debounce(150, resizeAll);
  } else {
    var timer = null;
    onWindowResize = function () {
      if (timer) {
        window.clearTimeout(timer);
      }
      timer = window.setTimeout(function () { timer = null; resizeAll(); }, 150);
    };
  }
  $(window).on("resize", function (e) {
    if (e.target === window) {
      onWindowResize();
    }
  });
}(window, document, window.ZQJQuery || window.jQuery));
