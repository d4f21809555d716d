/*
 * jquery.zqresizefix.js - keeps element resize events away from the window.
 *
 * jQuery UI resizables trigger "resize" events on their element, and those
 * bubble up to document and window, where handlers written for the browser
 * window's resize (Body_OnResize, layout code) would run on every mouse move
 * of an element resize. This stops a "resize" event that started on an
 * element once it reaches the document, after the document's delegated
 * handlers (zq.jquery.helper.js) have seen it, so window handlers only get
 * the browser's own resize events.
 *
 * Reads: jQuery as ZQJQuery or $.
 */
/* global jQuery */
(function (window, document, $) {
  "use strict";
  if (!$) {
    return;
  }
  $(document).on("resize", function (e) {
    if (e.target !== window && e.target !== document) {
      e.stopPropagation();
    }
  });
}(window, document, window.ZQJQuery || window.jQuery));
